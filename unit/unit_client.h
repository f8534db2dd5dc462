#pragma once
// The Modbus RTU client of the unit under test: the transport and nothing else. Every request
// of the unit protocol goes through Transact; the register and control operations build one
// request each and judge the reply. None of them shows anything.

#include <cstdint>
#include <string>

#include "protocol/modbus_frame.h"
#include "serial/serial_port.h"

namespace endcap {

class UnitClient {
public:
  static constexpr size_t kFrameBufferSize = 500;

  explicit UnitClient(SerialPort& port) : port_(port) {}
  UnitClient(const UnitClient&) = delete;
  UnitClient& operator=(const UnitClient&) = delete;

  // --- transaction ---
  // Appends the CRC to the request in buffer (length mod 256 bytes), exchanges it and judges
  // the reply as the answer to the request's function; the reply's bytes replace the request's
  // in buffer. The port not opening counts as no reply.
  modbus::Reply Transact(uint8_t* buffer, int length, int expected, int timeoutSeconds);
  // For diagnosis (never shown by the station itself): what the last reply was.
  // "no reply", "short reply (N bytes)", "bad CRC", "exception code N", "wrong reply", or ""
  // for a good reply.
  std::string DescribeLastReply() const;
  const modbus::Reply& lastReply() const { return lastReply_; }

  // --- register access ---
  bool ReadInputRegisters(uint16_t first, int count, uint16_t* values, int timeoutSeconds);
  bool WriteSingleRegister(uint16_t value, uint16_t reg, int timeoutSeconds);
  bool SendControlFunction(uint16_t parameter, uint8_t function, int timeoutSeconds);
  bool Unlock();
  bool WriteMultipleRegisters(uint16_t first, int count, const uint16_t* values, int timeoutSeconds);
  bool PrepareBoardTest();
  void ReleaseUnit(bool connected);
  // After an exchange that failed: true when the unit has gone (no reply, and none to the
  // connection handshake either). Stays true until ForgetLostUnit, so a procedure that checks
  // it after each step stops at the first one that lost the unit.
  bool UnitLost();
  // The one message a procedure shows when it stops for a lost unit, naming the port.
  std::string UnitLostText() const;
  // The next unit on the line starts as one that answers.
  void ForgetLostUnit() { unitLost_ = false; }

  SerialPort& port() { return port_; }
  Clock& clock() { return port_.clock(); }

private:
  SerialPort& port_;
  modbus::Reply lastReply_;
  bool unitLost_ = false;
};

}  // namespace endcap
