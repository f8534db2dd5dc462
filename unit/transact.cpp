// The one transport operation: every request of the unit protocol passes through here.

#include "unit/crc.h"
#include "unit/unit_client.h"

namespace endcap {

namespace {
constexpr uint32_t kPauseBeforeRequestMs = 100;
constexpr int kReplySilenceMs = 50;
}  // namespace

int UnitClient::Transact(uint8_t* buffer, int length, int expected, int timeoutSeconds) {
  BusyScope busy(busy_);
  const int l = length % 256;
  const auto crc = ComputeCrc(buffer, static_cast<size_t>(l));
  lastTransactResult = 0;
  lastReplyBytes_ = 0;
  lastReplyWrong_ = false;
  lastReplyShort_ = false;
  if (!port_.Open()) return 0;
  buffer[l] = crc[0];
  buffer[l + 1] = crc[1];
  port_.WaitMilliseconds(kPauseBeforeRequestMs);
  const int received = port_.TransactBytes(buffer, kFrameBufferSize, l + 2, expected, timeoutSeconds, kReplySilenceMs);
  lastReplyBytes_ = received > 0 ? received : 0;
  if (received <= 2) return 0;
  int result = received - 2;
  const auto replyCrc = ComputeCrc(buffer, static_cast<size_t>(result));
  if (replyCrc[0] != buffer[result] || replyCrc[1] != buffer[result + 1]) result = -result;
  lastTransactResult = result;
  lastExceptionCode_ = result == 3 && (buffer[1] & 0x80) ? buffer[2] : 0;
  return result;
}

std::string UnitClient::DescribeLastReply() const {
  const std::string shortReply = "short reply (" + std::to_string(lastReplyBytes_) + " bytes)";
  if (lastReplyBytes_ == 0) return "no reply";
  if (lastTransactResult == 0) return shortReply;
  if (lastTransactResult < 0) return "bad CRC";
  if (lastReplyWrong_) return "wrong reply";
  if (lastExceptionCode_ != 0) return "exception code " + std::to_string(lastExceptionCode_);
  if (lastReplyShort_) return shortReply;
  return "";
}

bool UnitClient::ReplyLongEnough(int result, int minimum) {
  lastReplyShort_ = result > 0 && result < minimum;
  return result >= minimum;
}

}  // namespace endcap
