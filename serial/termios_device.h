#pragma once
// A real serial port (or pseudo-terminal) through POSIX termios: raw 9600 8N1, CLOCAL|CREAD,
// DTR and RTS on, held exclusively (flock, and TIOCEXCL on a real port) so that no second
// station or terminal program shares it.

#include <string>

#include "serial/port_map.h"
#include "serial/serial_device.h"

namespace endcap {

class TermiosDevice : public SerialDevice {
public:
  // Opens and configures path; on failure returns nullptr and fills error.
  static std::unique_ptr<TermiosDevice> Open(const std::string& path, SerialError& error);
  ~TermiosDevice() override;

  ReadStatus ReadByte(uint8_t& byte, int waitMs) override;
  bool Write(const uint8_t* data, size_t size) override;
  void Purge() override;
  bool SetBaudRate(int baud) override;

private:
  TermiosDevice(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  int fd_;
  std::string path_;
  // Exclusive mode belongs to the terminal, not to this descriptor, so the holder clears it,
  // and only the holder.
  bool exclusive_ = false;
};

class TermiosPortProvider : public PortProvider {
public:
  explicit TermiosPortProvider(const PortMap& map) : map_(map) {}
  std::unique_ptr<SerialDevice> OpenPort(int portNumber, SerialError& error) override;

private:
  const PortMap& map_;
};

}  // namespace endcap
