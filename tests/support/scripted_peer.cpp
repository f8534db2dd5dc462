#include "tests/support/scripted_peer.h"

#include "protocol/crc.h"

namespace endcap::testing {

std::vector<uint8_t> WithCrc(std::vector<uint8_t> bytes) {
  const auto crc = ComputeCrc(bytes.data(), bytes.size());
  bytes.push_back(crc[0]);
  bytes.push_back(crc[1]);
  return bytes;
}

std::vector<uint8_t> ReadReply(const std::vector<uint16_t>& values) {
  std::vector<uint8_t> bytes = {0xfa, 0x04, static_cast<uint8_t>(2 * values.size())};
  for (uint16_t v : values) {
    bytes.push_back(static_cast<uint8_t>(v >> 8));
    bytes.push_back(static_cast<uint8_t>(v & 0xFF));
  }
  return bytes;
}

void ScriptedPeer::QueueWithCrc(std::vector<uint8_t> bytes, uint32_t delayMs) { Queue(WithCrc(std::move(bytes)), delayMs); }

void ScriptedPeer::OnHostBytes(const uint8_t* data, size_t size) {
  received_.emplace_back(data, data + size);
  receivedAtTick.push_back(line_.clock().TickCount());
  if (replies_.empty()) return;
  Reply reply = replies_.front();
  replies_.pop_front();
  if (!reply.bytes.empty()) line_.Send(reply.bytes, reply.delayMs);
}

}  // namespace endcap::testing
