// Telling a unit that stopped answering from one that refused a request. A procedure that goes
// on after the unit has gone only walks the operator through boxes whose readings and writes
// cannot succeed, so it asks here after an exchange that failed and stops when the unit is lost.

#include "protocol/register_map.h"
#include "serial/text_format.h"
#include "unit/unit_client.h"

namespace endcap {

namespace {
constexpr int kHandshakeCount = 3;
constexpr int kHandshakeTimeoutSeconds = 2;
}  // namespace

bool UnitClient::UnitLost() {
  if (unitLost_) return true;
  // Any answer at all (an exception, a wrong or garbled frame) means the unit is still there.
  if (lastReply_.bytes != 0) return false;
  uint16_t version[kHandshakeCount];
  unitLost_ = !ReadInputRegisters(reg::kFirmwareMajor, kHandshakeCount, version, kHandshakeTimeoutSeconds) &&
              lastReply_.bytes == 0;
  return unitLost_;
}

std::string UnitClient::UnitLostText() const {
  return Format("The unit on COM%d stopped answering\r\nThe procedure has stopped", port_.portNumber);
}

}  // namespace endcap
