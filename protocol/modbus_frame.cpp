#include "protocol/modbus_frame.h"

#include "protocol/crc.h"
#include "protocol/register_map.h"

namespace endcap::modbus {

namespace {

constexpr int kRegisterRequestBytes = 6 + kCrcBytes;  // address, function, two 16-bit fields
constexpr int kControlRequestBytes = 4 + kCrcBytes;   // address, function, parameter
constexpr size_t kByteCountIndex = 6;                 // of a write-multiple request
constexpr int kWriteMultipleHeaderBytes = 7;

// The shortest answer to a request of function, without its CRC: a read carries at least one
// byte of data, a write names the register, a control function gives its mark.
int MinimumReply(uint8_t function) {
  switch (function) {
    case reg::kReadInputRegisters: return 5;
    case reg::kWriteSingleRegister:
    case reg::kWriteMultipleRegisters: return 6;
    default: return 3;
  }
}

bool FromTheUnit(uint8_t function, const uint8_t* reply, int length) {
  bool unit = reply[0] == reg::kUnitAddress && (reply[1] == function || reply[1] == (function | kExceptionFlag));
  if (unit && reply[1] == reg::kReadInputRegisters) unit = reply[2] == length - 3 && reply[2] % 2 == 0;
  if (unit && reply[1] == reg::kWriteMultipleRegisters) unit = length == 6;
  return unit;
}

}  // namespace

uint16_t Word(const uint8_t* frame, size_t at) { return static_cast<uint16_t>((frame[at] << 8) | frame[at + 1]); }

void AppendWord(Frame& frame, uint16_t value) {
  frame.push_back(static_cast<uint8_t>(value >> 8));
  frame.push_back(static_cast<uint8_t>(value & 0xFF));
}

Frame WithCrc(Frame frame) {
  const auto crc = ComputeCrc(frame.data(), frame.size());
  frame.insert(frame.end(), crc.begin(), crc.end());
  return frame;
}

bool CrcMatches(const uint8_t* frame, size_t size) {
  if (size <= kCrcBytes) return false;
  const size_t body = size - kCrcBytes;
  const uint16_t crc = Crc16(frame, body);
  return frame[body] == (crc & 0xFF) && frame[body + 1] == (crc >> 8);
}

Frame ReadInputRegistersRequest(uint16_t first, uint16_t count) {
  Frame frame{reg::kUnitAddress, reg::kReadInputRegisters};
  AppendWord(frame, first);
  AppendWord(frame, count);
  return frame;
}

Frame WriteSingleRegisterRequest(uint16_t reg, uint16_t value) {
  Frame frame{reg::kUnitAddress, reg::kWriteSingleRegister};
  AppendWord(frame, reg);
  frame.push_back(value > 8 ? 1 : 0);
  frame.push_back(static_cast<uint8_t>(value & 0xFF));
  return frame;
}

Frame WriteMultipleRegistersRequest(uint16_t first, const uint16_t* values, int count) {
  if (count < 0 || kWriteMultipleHeaderBytes + 2 * static_cast<size_t>(count) > kMaxRequestBody) return {};
  Frame frame{reg::kUnitAddress, reg::kWriteMultipleRegisters};
  AppendWord(frame, first);
  AppendWord(frame, static_cast<uint16_t>(count));
  frame.push_back(static_cast<uint8_t>(2 * count));
  for (int k = 0; k < count; ++k) AppendWord(frame, values[k]);
  return frame;
}

Frame ControlRequest(uint8_t function, uint16_t parameter) {
  Frame frame{reg::kUnitAddress, function};
  AppendWord(frame, parameter);
  return frame;
}

int RequestLength(const uint8_t* start, size_t size) {
  if (size < 2) return 0;
  switch (start[1]) {
    case reg::kReadInputRegisters:
    case reg::kWriteSingleRegister:
      return kRegisterRequestBytes;
    case reg::kWriteMultipleRegisters:
      if (size <= kByteCountIndex) return 0;
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

Frame ExceptionReply(uint8_t function, uint8_t code) {
  return {reg::kUnitAddress, static_cast<uint8_t>(function | kExceptionFlag), code};
}

Frame ControlReply(uint8_t function) { return {reg::kUnitAddress, function, reg::kControlReplyMark}; }

Reply DecodeReply(uint8_t function, const uint8_t* received, int size) {
  Reply reply;
  reply.bytes = size > 0 ? size : 0;
  if (reply.bytes == 0) return reply;
  if (size <= static_cast<int>(kCrcBytes)) {
    reply.error = ReplyError::Short;
    return reply;
  }
  if (!CrcMatches(received, static_cast<size_t>(size))) {
    reply.error = ReplyError::BadCrc;
    return reply;
  }
  const int length = reply.length();
  // A three-byte frame with the flag is an exception whoever sent it; it is wrong only when it
  // is long enough for the request and still not the unit's.
  if (length == 3 && (received[1] & kExceptionFlag)) reply.exceptionCode = received[2];
  const bool longEnough = length >= MinimumReply(function);
  if (longEnough && !FromTheUnit(function, received, length))
    reply.error = ReplyError::Wrong;
  else if (reply.exceptionCode != 0)
    reply.error = ReplyError::Exception;
  else if (!longEnough)
    reply.error = ReplyError::Short;
  else
    reply.error = ReplyError::None;
  return reply;
}

std::string DescribeReply(const Reply& reply) {
  switch (reply.error) {
    case ReplyError::None: return "";
    case ReplyError::NoReply: return "no reply";
    case ReplyError::Short: return "short reply (" + std::to_string(reply.bytes) + " bytes)";
    case ReplyError::BadCrc: return "bad CRC";
    case ReplyError::Exception: return "exception code " + std::to_string(reply.exceptionCode);
    case ReplyError::Wrong: return "wrong reply";
  }
  return "";
}

}  // namespace endcap::modbus
