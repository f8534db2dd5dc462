#include "serial/serial_error.h"

namespace endcap {

const char* SerialErrorName(SerialErrorCode code) {
  switch (code) {
    case SerialErrorCode::None: return "no error";
    case SerialErrorCode::IllegalPortNumber: return "illegal port number";
    case SerialErrorCode::NotOpened: return "device could not be opened";
    case SerialErrorCode::Busy: return "device is in use by another program";
    case SerialErrorCode::SettingsFailed: return "line settings could not be applied";
    case SerialErrorCode::HungUp: return "device hung up";
  }
  return "unknown error";
}

}  // namespace endcap
