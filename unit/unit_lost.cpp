// Telling a unit that stopped answering from one that refused a request. A procedure that goes
// on after the unit has gone only walks the operator through boxes whose readings and writes
// cannot succeed, so it asks here after an exchange that failed and stops when the unit is lost.

#include "unit/unit_client.h"
#include "unit/register_map.h"
#include "unit/text_format.h"

namespace endcap {

namespace {
constexpr int kHandshakeCount = 3;
constexpr int kHandshakeTimeoutSeconds = 2;
}  // namespace

bool UnitClient::UnitLost() {
  if (unitLost_) return true;
  // Any answer at all (an exception, a wrong or garbled frame) means the unit is still there.
  if (lastReplyBytes_ != 0) return false;
  uint16_t version[kHandshakeCount];
  unitLost_ = !ReadInputRegisters(reg::kFirmwareMajor, kHandshakeCount, version, kHandshakeTimeoutSeconds) &&
              lastReplyBytes_ == 0;
  return unitLost_;
}

std::string UnitClient::UnitLostText() const {
  return Format("The unit on COM%d stopped answering\r\nThe procedure has stopped", port_.portNumber);
}

}  // namespace endcap
