#pragma once
// One vocabulary for what went wrong on the serial line, with the system's own reason kept
// for the operator (errno text, the device path).

#include <string>

namespace endcap {

enum class SerialErrorCode {
  None,
  IllegalPortNumber,  // port number 0 or less, or not mapped to a device
  NotOpened,          // the device could not be opened (missing, no permission)
  Busy,               // another program holds the device
  SettingsFailed,     // line settings could not be read or applied
  HungUp,             // the device went away while open (USB converter unplugged)
};

struct SerialError {
  SerialErrorCode code = SerialErrorCode::None;
  std::string reason;  // readable, e.g. "/dev/ttyUSB0: Permission denied"

  explicit operator bool() const { return code != SerialErrorCode::None; }
};

const char* SerialErrorName(SerialErrorCode code);

}  // namespace endcap
