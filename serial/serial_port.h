#pragma once
// The station's one serial channel to the unit: a COM port at 9600 8N1 and the two blocking
// request/reply exchanges on it, the byte exchange for Modbus RTU frames and the text exchange
// for the boot loader. Once open the port stays open; only a failed Open or a hang-up closes it.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "serial/clock.h"
#include "serial/line_trace.h"
#include "serial/serial_device.h"

namespace endcap {

class SerialPort {
public:
  SerialPort(PortProvider& provider, Clock& clock);
  virtual ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // True when the port is open on return. Does nothing at all when already open.
  bool Open();
  // Selects the port number, opens, and forces 9600 baud. Returns the result of Open.
  bool OpenOnPort(int32_t port);
  // Sets the rate named in the text ("9600", "19200", "38400", "57600", "115200"; the last of
  // these found wins). False when the port is closed or no rate is named.
  bool SetBaudRateFromText(const char* text);

  // Writes the NUL-terminated command in buffer, then collects the reply into buffer (at most
  // capacity - 1 bytes and a NUL; the rest is dropped). timeoutSeconds > 0: true when the
  // terminator arrived within it. 0: write only, buffer untouched, true. < 0: collect for
  // |timeoutSeconds| without looking for the terminator, false.
  bool TransactText(char* buffer, size_t capacity, int32_t timeoutSeconds);

  // Writes writeCount bytes of buffer, then stores reply bytes from the start of buffer until
  // more than expected have come, silenceMs of silence after a byte, or the time-out (between
  // T and T + 1 s). Returns the count stored (at most capacity). timeoutSeconds 0: write only,
  // returns 1. 0 when the port cannot be opened.
  int32_t TransactBytes(uint8_t* buffer, size_t capacity, int32_t writeCount, int32_t expected,
                        int32_t timeoutSeconds, int32_t silenceMs);

  // Blocking pause on the tick counter, correct across its wrap and with sleeps that overshoot.
  void WaitMilliseconds(uint32_t ms);

  void SetTrace(LineTrace* trace) { trace_ = trace; }
  Clock& clock() { return clock_; }
  // Why the last Open failed or the device went away; code None after a good Open.
  const SerialError& lastError() const { return lastError_; }

  int32_t portNumber = 0;
  char terminator = '\n';
  bool isOpen = false;
  int32_t baudRate = 0;  // as last applied to the device

private:
  void Close();
  void PauseAndPurge();
  // One-byte read of at most waitMs; a hang-up closes the port so the next exchange reopens it.
  ReadStatus ReadOne(uint8_t& byte, int waitMs);

  PortProvider& provider_;
  Clock& clock_;
  LineTrace* trace_ = nullptr;
  std::unique_ptr<SerialDevice> device_;
  SerialError lastError_;
};

}  // namespace endcap
