#pragma once
// Modbus RTU frames between the station and the unit: the requests the station sends, the
// replies the unit gives, and the judgement of a reply against its request. Frames here carry
// no CRC unless a name says so; the CRC is added and checked at the line (crc.h).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace endcap::modbus {

using Frame = std::vector<uint8_t>;

constexpr size_t kCrcBytes = 2;
constexpr uint8_t kExceptionFlag = 0x80;  // added to the function code of an exception reply

// Exception codes.
constexpr uint8_t kIllegalFunction = 1;
constexpr uint8_t kIllegalAddress = 2;
constexpr uint8_t kIllegalValue = 3;
constexpr uint8_t kDeviceFailure = 4;

// The most registers one function 4 reply carries and one function 16 request writes.
constexpr uint16_t kMaxReadCount = 125;
constexpr uint16_t kMaxWriteCount = 123;
// The station's request is at most this long before its CRC, which leaves room for 124
// registers in a function 16 request.
constexpr size_t kMaxRequestBody = 255;
// The addresses a slave may answer to on a Modbus line: 0 is the broadcast and 248 to 255 are
// reserved.
constexpr long kFirstSlaveAddress = 1;
constexpr long kLastSlaveAddress = 247;

uint16_t Word(const uint8_t* frame, size_t at);
void AppendWord(Frame& frame, uint16_t value);
// The frame with its CRC appended, low byte first.
Frame WithCrc(Frame frame);
// Whether the last two bytes of a frame are the CRC of the bytes before them.
bool CrcMatches(const uint8_t* frame, size_t size);

// --- requests to the unit ---
Frame ReadInputRegistersRequest(uint16_t first, uint16_t count);
// The unit takes the value field's first byte as a flag: 1 for values above 8, else 0.
Frame WriteSingleRegisterRequest(uint16_t reg, uint16_t value);
// Empty when count is negative or the request would not fit kMaxRequestBody.
Frame WriteMultipleRegistersRequest(uint16_t first, const uint16_t* values, int count);
// One of the unit's own control functions (unlock, release, board test, boot loader).
Frame ControlRequest(uint8_t function, uint16_t parameter);
// Length with CRC of a request from its first bytes: 0 while it cannot be told yet, -1 for a
// function without a known length.
int RequestLength(const uint8_t* start, size_t size);

// --- replies from the unit ---
Frame ExceptionReply(uint8_t function, uint8_t code);
Frame ControlReply(uint8_t function);

enum class ReplyError {
  None,
  NoReply,    // nothing came back, or the port would not open
  Short,      // too few bytes for a CRC, or for the answer to the request
  BadCrc,
  Exception,  // the unit refused the request
  Wrong,      // a good frame that does not answer the request: another unit, function or count
};

struct Reply {
  ReplyError error = ReplyError::NoReply;
  int bytes = 0;  // as received, with the CRC
  uint8_t exceptionCode = 0;
  bool ok() const { return error == ReplyError::None; }
  // A frame with a good CRC came back, whatever it says.
  bool crcGood() const { return bytes > static_cast<int>(kCrcBytes) && error != ReplyError::BadCrc; }
  // Bytes before the CRC.
  int length() const { return bytes > static_cast<int>(kCrcBytes) ? bytes - static_cast<int>(kCrcBytes) : 0; }
};

// Judges the received bytes (with CRC) as the answer to a request of function. A read's reply
// counts the data it carries, two bytes a register, and a multiple write's reply is the six bytes
// that name the write, so that a line that only echoes the request is not taken for the unit.
Reply DecodeReply(uint8_t function, const uint8_t* received, int size);

// "no reply", "short reply (N bytes)", "bad CRC", "exception code N", "wrong reply", or "" for a
// good reply.
std::string DescribeReply(const Reply& reply);

}  // namespace endcap::modbus
