// The one transport operation: every request of the unit protocol passes through here.

#include "unit/crc.h"
#include "unit/modbus_link.h"

namespace endcap {

namespace {
constexpr uint32_t kPauseBeforeRequestMs = 100;
constexpr int kReplySilenceMs = 50;
}  // namespace

int ModbusLink::Transact(uint8_t* buffer, int length, int expected, int timeoutSeconds) {
  BusyScope busy(busy_);
  const int l = length % 256;
  const auto crc = ComputeCrc(buffer, static_cast<size_t>(l));
  if (!port_.Open()) return 0;
  buffer[l] = crc[0];
  buffer[l + 1] = crc[1];
  port_.WaitMilliseconds(kPauseBeforeRequestMs);
  const int received = port_.TransactBytes(buffer, kFrameBufferSize, l + 2, expected, timeoutSeconds, kReplySilenceMs);
  if (received <= 2) return 0;
  const int result = received - 2;
  const auto replyCrc = ComputeCrc(buffer, static_cast<size_t>(result));
  if (replyCrc[0] != buffer[result] || replyCrc[1] != buffer[result + 1]) return -result;
  return result;
}

}  // namespace endcap
