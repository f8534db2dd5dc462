#include "sim/rtu_framer.h"

#include "unit/crc.h"
#include "unit/register_map.h"

namespace endcap::sim {

namespace {
constexpr int kCrcBytes = 2;
constexpr int kRegisterRequestBytes = 6 + kCrcBytes;   // address, function, two 16-bit fields
constexpr int kControlRequestBytes = 4 + kCrcBytes;    // address, function, parameter
constexpr size_t kByteCountIndex = 6;                  // of a write-multiple request
constexpr int kWriteMultipleHeaderBytes = 7;
}  // namespace

int RtuFramer::RequestLength(const Frame& start) {
  if (start.size() < 2) return 0;
  switch (start[1]) {
    case reg::kReadInputRegisters:
    case reg::kWriteSingleRegister:
      return kRegisterRequestBytes;
    case reg::kWriteMultipleRegisters:
      if (start.size() <= kByteCountIndex) return 0;
      return kWriteMultipleHeaderBytes + start[kByteCountIndex] + kCrcBytes;
    case reg::kUnlockFunction:
    case reg::kReleaseFunction:
    case reg::kBoardTestFunction:
    case reg::kBootLoaderFunction:
      return kControlRequestBytes;
    default:
      return -1;
  }
}

bool RtuFramer::CrcMatches(const Frame& frame) {
  if (frame.size() <= static_cast<size_t>(kCrcBytes)) return false;
  const size_t body = frame.size() - kCrcBytes;
  const uint16_t crc = Crc16(frame.data(), body);
  return frame[body] == (crc & 0xFF) && frame[body + 1] == (crc >> 8);
}

std::optional<Frame> RtuFramer::Push(uint8_t byte) {
  if (discarding_) return std::nullopt;
  pending_.push_back(byte);
  const int length = RequestLength(pending_);
  if (length <= 0 || pending_.size() < static_cast<size_t>(length)) return std::nullopt;
  Frame frame;
  frame.swap(pending_);
  if (!CrcMatches(frame)) discarding_ = true;
  return frame;
}

std::optional<Frame> RtuFramer::Silence() {
  discarding_ = false;
  if (pending_.empty()) return std::nullopt;
  Frame frame;
  frame.swap(pending_);
  return frame;
}

void RtuFramer::Reset() {
  pending_.clear();
  discarding_ = false;
}

}  // namespace endcap::sim
