#pragma once
// The byte channel under SerialPort. Two implementations: TermiosDevice for real ports and
// pseudo-terminals, MemoryDevice for tests wired straight to a simulated unit.
//
// Return rules, written once for every implementation:
//  - ReadByte waits at most waitMs for one byte: Byte when one came, None when none came in
//    time (or a transient read error), HungUp when the device has gone for good.
//  - Write sends all bytes or reports false; a short write is a failure.
//  - Purge discards whatever is queued in both directions.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "serial/serial_error.h"

namespace endcap {

enum class ReadStatus { Byte, None, HungUp };

class SerialDevice {
public:
  virtual ~SerialDevice() = default;
  virtual ReadStatus ReadByte(uint8_t& byte, int waitMs) = 0;
  virtual bool Write(const uint8_t* data, size_t size) = 0;
  virtual void Purge() = 0;
  virtual bool SetBaudRate(int baud) = 0;
};

// Opens the device behind a COM port number. One provider per station: the termios one maps
// numbers to paths (PortMap), the in-memory one hands out devices wired to simulated units.
class PortProvider {
public:
  virtual ~PortProvider() = default;
  // On failure returns nullptr and fills error.
  virtual std::unique_ptr<SerialDevice> OpenPort(int portNumber, SerialError& error) = 0;
};

}  // namespace endcap
