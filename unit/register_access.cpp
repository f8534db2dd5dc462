// Register operations: each builds one request frame, runs it through Transact and takes the
// reply's judgement, and for some one byte of its content. None shows anything.

#include <algorithm>

#include "protocol/modbus_frame.h"
#include "protocol/register_map.h"
#include "unit/unit_client.h"

namespace endcap {

namespace {

// Copies a request into the buffer that Transact sends from and receives into; its length.
int Place(const modbus::Frame& request, uint8_t* buffer) {
  std::copy(request.begin(), request.end(), buffer);
  return static_cast<int>(request.size());
}

}  // namespace

bool UnitClient::ReadInputRegisters(uint16_t first, int count, uint16_t* values, int timeoutSeconds) {
  uint8_t frame[kFrameBufferSize] = {};
  const int length = Place(modbus::ReadInputRegistersRequest(first, static_cast<uint16_t>(count)), frame);
  const modbus::Reply reply = Transact(frame, length, 2 * count + 6, timeoutSeconds);
  if (!reply.ok()) return false;
  // A short reply is accepted from 5 bytes on; registers it did not carry read as 0 rather
  // than as leftovers of the request.
  for (int k = 0; k < count; ++k) {
    const int at = 3 + 2 * k;
    values[k] = at + 1 < reply.length() ? modbus::Word(frame, static_cast<size_t>(at)) : 0;
  }
  return true;
}

bool UnitClient::WriteSingleRegister(uint16_t value, uint16_t reg, int timeoutSeconds) {
  uint8_t frame[kFrameBufferSize] = {};
  const int length = Place(modbus::WriteSingleRegisterRequest(reg, value), frame);
  return Transact(frame, length, 9, timeoutSeconds).ok();
}

bool UnitClient::SendControlFunction(uint16_t parameter, uint8_t function, int timeoutSeconds) {
  uint8_t frame[kFrameBufferSize] = {};
  const int length = Place(modbus::ControlRequest(function, parameter), frame);
  return Transact(frame, length, 7, timeoutSeconds).ok() && frame[2] == reg::kControlReplyMark;
}

bool UnitClient::Unlock() { return SendControlFunction(reg::kAccessCode, reg::kUnlockFunction, 1); }

bool UnitClient::WriteMultipleRegisters(uint16_t first, int count, const uint16_t* values, int timeoutSeconds) {
  const modbus::Frame request = modbus::WriteMultipleRegistersRequest(first, values, count);
  if (request.empty()) return false;
  Unlock();
  uint8_t frame[kFrameBufferSize] = {};
  const int length = Place(request, frame);
  return Transact(frame, length, 9, timeoutSeconds).ok();
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
