#pragma once
// The Modbus RTU client of the unit under test: the transport and nothing else. Every request
// of the unit protocol goes through Transact; the register and control operations build one
// request each and judge the reply. None of them shows anything.

#include <cstdint>
#include <string>

#include "serial/busy_indicator.h"
#include "serial/serial_port.h"

namespace endcap {

class UnitClient {
public:
  static constexpr size_t kFrameBufferSize = 500;

  explicit UnitClient(SerialPort& port) : port_(port) {}
  UnitClient(const UnitClient&) = delete;
  UnitClient& operator=(const UnitClient&) = delete;

  // --- transaction ---
  // Appends the CRC to the request in buffer (length mod 256 bytes), exchanges it and checks the
  // reply. 0: no reply, fewer than 3 bytes, or the port did not open; n > 0: a reply of n + 2
  // bytes with a good CRC, its first n bytes in buffer; -n: the same with a wrong CRC.
  int Transact(uint8_t* buffer, int length, int expected, int timeoutSeconds);
  // For diagnosis (never shown by the station itself): what the last reply was.
  // "no reply", "short reply (N bytes)", "bad CRC", "exception code N", "wrong reply", or ""
  // for a good reply.
  std::string DescribeLastReply() const;
  int lastTransactResult = 0;

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
  void SetBusyIndicator(BusyIndicator* busy) { busy_ = busy; }

private:
  // Whether a reply of the given length is the unit's answer to a request of function.
  bool FromTheUnit(const uint8_t* reply, int length, uint8_t function);
  // Whether a reply of result bytes (without its CRC) reaches the operation's minimum; a
  // shorter one is described as short.
  bool ReplyLongEnough(int result, int minimum);

  SerialPort& port_;
  BusyIndicator* busy_ = nullptr;
  uint8_t lastExceptionCode_ = 0;
  bool unitLost_ = false;
  bool lastReplyWrong_ = false;
  bool lastReplyShort_ = false;
  int lastReplyBytes_ = 0;  // as received, with the CRC
};

}  // namespace endcap
