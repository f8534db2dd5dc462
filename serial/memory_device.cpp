#include "serial/memory_device.h"

#include <string>

namespace endcap {

void MemoryLine::SetPeer(LinePeer* peer) { peer_ = peer; }

void MemoryLine::Send(const std::vector<uint8_t>& bytes, uint32_t delayMs, uint32_t byteTimeUs) {
  // Schedule after whatever is still queued, as a real line cannot overlap two bursts.
  uint32_t first = clock_.TickCount() + delayMs;
  if (!pending_.empty() && static_cast<int32_t>(pending_.back().dueTick - first) >= 0) first = pending_.back().dueTick + 1;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const uint64_t offsetUs = static_cast<uint64_t>(i) * byteTimeUs;
    pending_.push_back({static_cast<uint32_t>(first + offsetUs / 1000), bytes[i]});
  }
}

MemoryDevice::MemoryDevice(MemoryLine& line) : line_(line) { line_.inUse_ = true; }

MemoryDevice::~MemoryDevice() { line_.inUse_ = false; }

ReadStatus MemoryDevice::ReadByte(uint8_t& byte, int waitMs) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (line_.hungUp_) return ReadStatus::HungUp;
    if (!line_.pending_.empty() && line_.Due(line_.pending_.front())) {
      byte = line_.pending_.front().byte;
      line_.pending_.pop_front();
      return ReadStatus::Byte;
    }
    if (attempt == 1 || waitMs <= 0) break;
    uint32_t wait = static_cast<uint32_t>(waitMs);
    if (!line_.pending_.empty()) {
      const uint32_t untilDue = line_.pending_.front().dueTick - line_.clock_.TickCount();
      if (untilDue < wait) wait = untilDue;
    }
    line_.clock_.Sleep(wait);
  }
  return ReadStatus::None;
}

bool MemoryDevice::Write(const uint8_t* data, size_t size) {
  if (line_.hungUp_) return false;
  line_.written_.insert(line_.written_.end(), data, data + size);
  line_.writes_.emplace_back(data, data + size);
  if (line_.peer_) line_.peer_->OnHostBytes(data, size);
  return true;
}

void MemoryDevice::Purge() {
  ++line_.purges_;
  while (!line_.pending_.empty() && line_.Due(line_.pending_.front())) line_.pending_.pop_front();
}

bool MemoryDevice::SetBaudRate(int baud) {
  line_.baud_ = baud;
  return true;
}

std::unique_ptr<SerialDevice> MemoryPortProvider::OpenPort(int portNumber, SerialError& error) {
  auto it = lines_.find(portNumber);
  if (it == lines_.end()) {
    error = {SerialErrorCode::NotOpened, "COM" + std::to_string(portNumber) + ": No such device"};
    return nullptr;
  }
  if (it->second->hungUp()) {
    error = {SerialErrorCode::NotOpened, "COM" + std::to_string(portNumber) + ": device unplugged"};
    return nullptr;
  }
  if (it->second->inUse()) {
    error = {SerialErrorCode::Busy, "COM" + std::to_string(portNumber) + ": Device or resource busy"};
    return nullptr;
  }
  ++opens_;
  return std::make_unique<MemoryDevice>(*it->second);
}

}  // namespace endcap
