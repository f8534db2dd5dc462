// The one transport operation: every request of the unit protocol passes through here.

#include "protocol/crc.h"
#include "unit/unit_client.h"

namespace endcap {

namespace {
constexpr uint32_t kPauseBeforeRequestMs = 100;
constexpr int kReplySilenceMs = 50;
}  // namespace

modbus::Reply UnitClient::Transact(uint8_t* buffer, int length, int expected, int timeoutSeconds) {
  const int l = length % 256;
  const auto crc = ComputeCrc(buffer, static_cast<size_t>(l));
  // The reply takes the request's place in buffer.
  const uint8_t function = buffer[1];
  lastReply_ = {};
  if (!port_.Open()) return lastReply_;
  buffer[l] = crc[0];
  buffer[l + 1] = crc[1];
  port_.WaitMilliseconds(kPauseBeforeRequestMs);
  const int received = port_.TransactBytes(buffer, kFrameBufferSize, l + 2, expected, timeoutSeconds, kReplySilenceMs);
  lastReply_ = modbus::DecodeReply(function, buffer, received);
  return lastReply_;
}

std::string UnitClient::DescribeLastReply() const { return modbus::DescribeReply(lastReply_); }

}  // namespace endcap
