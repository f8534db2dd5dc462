// Register operations: each builds one request frame, runs it through Transact and judges the
// reply by its length and, for some, one byte of content. None shows anything.

#include "unit/unit_client.h"
#include "unit/register_map.h"

namespace endcap {

namespace {

uint8_t High(unsigned v) { return static_cast<uint8_t>((v >> 8) & 0xFF); }
uint8_t Low(unsigned v) { return static_cast<uint8_t>(v & 0xFF); }

}  // namespace

// A line that only echoes what the station sends (a converter with local echo and no unit
// behind it) gives back each request with a good CRC. The unit's own answer comes from its
// address with the request's function code (with the top bit for an exception); a read's reply
// counts the data it carries, two bytes a register, and a multiple write's reply is the 6 bytes
// that name the write.
bool UnitClient::FromTheUnit(const uint8_t* reply, int length, uint8_t function) {
  bool unit = reply[0] == reg::kUnitAddress && (reply[1] == function || reply[1] == (function | 0x80));
  if (unit && reply[1] == reg::kReadInputRegisters) unit = reply[2] == length - 3 && reply[2] % 2 == 0;
  if (unit && reply[1] == reg::kWriteMultipleRegisters) unit = length == 6;
  lastReplyWrong_ = !unit;
  return unit;
}

bool UnitClient::ReadInputRegisters(uint16_t first, int count, uint16_t* values, int timeoutSeconds) {
  uint8_t frame[kFrameBufferSize] = {reg::kUnitAddress, reg::kReadInputRegisters, High(first), Low(first),
                                     High(static_cast<unsigned>(count)), Low(static_cast<unsigned>(count))};
  const int result = Transact(frame, 6, 2 * count + 6, timeoutSeconds);
  if (!ReplyLongEnough(result, 5) || !FromTheUnit(frame, result, reg::kReadInputRegisters)) return false;
  // A short reply is accepted from 5 bytes on; registers it did not carry read as 0 rather
  // than as leftovers of the request.
  for (int k = 0; k < count; ++k) {
    const int at = 3 + 2 * k;
    values[k] = at + 1 < result ? static_cast<uint16_t>(frame[at] * 256 + frame[at + 1]) : 0;
  }
  return true;
}

bool UnitClient::WriteSingleRegister(uint16_t value, uint16_t reg, int timeoutSeconds) {
  // The unit takes the value field's first byte as a flag: 1 for values above 8.
  uint8_t frame[kFrameBufferSize] = {reg::kUnitAddress, reg::kWriteSingleRegister, High(reg), Low(reg),
                                     static_cast<uint8_t>(value > 8 ? 1 : 0), Low(value)};
  const int result = Transact(frame, 6, 9, timeoutSeconds);
  return ReplyLongEnough(result, 6) && FromTheUnit(frame, result, reg::kWriteSingleRegister);
}

bool UnitClient::SendControlFunction(uint16_t parameter, uint8_t function, int timeoutSeconds) {
  uint8_t frame[kFrameBufferSize] = {reg::kUnitAddress, function, High(parameter), Low(parameter)};
  const int result = Transact(frame, 4, 7, timeoutSeconds);
  return ReplyLongEnough(result, 3) && FromTheUnit(frame, result, function) && frame[2] == reg::kControlReplyMark;
}

bool UnitClient::Unlock() { return SendControlFunction(reg::kAccessCode, reg::kUnlockFunction, 1); }

bool UnitClient::WriteMultipleRegisters(uint16_t first, int count, const uint16_t* values, int timeoutSeconds) {
  // A request is at most 255 bytes before its CRC: more than 124 registers cannot be sent.
  if (count < 0 || count > 124) return false;
  Unlock();
  uint8_t frame[kFrameBufferSize] = {reg::kUnitAddress,
                                     reg::kWriteMultipleRegisters,
                                     High(first),
                                     Low(first),
                                     High(static_cast<unsigned>(count)),
                                     Low(static_cast<unsigned>(count)),
                                     Low(static_cast<unsigned>(2 * count))};
  for (int k = 0; k < count; ++k) {
    frame[7 + 2 * k] = High(values[k]);
    frame[8 + 2 * k] = Low(values[k]);
  }
  const int result = Transact(frame, 7 + 2 * count, 9, timeoutSeconds);
  return ReplyLongEnough(result, 6) && FromTheUnit(frame, result, reg::kWriteMultipleRegisters);
}

bool UnitClient::PrepareBoardTest() {
  Unlock();
  return SendControlFunction(0, reg::kBoardTestFunction, 1);
}

void UnitClient::ReleaseUnit(bool connected) {
  if (!connected) return;
  Unlock();
  SendControlFunction(0, reg::kReleaseFunction, 1);
}

}  // namespace endcap
