// The production checks of a bare board that the PCB test adds to the supply checks: the
// supply current typed by the operator, the board's internal RS485 loop, and the RS485 link.

#include <iterator>

#include "protocol/register_map.h"
#include "unit/board_checks.h"
#include "unit/procedure_runs.h"

namespace endcap {

namespace {

// The loop register answers with the value field as written, flag byte included.
constexpr uint16_t kLoopPatterns[] = {0xAA, 0x55};
constexpr uint16_t kLoopFlag = 0x0100;
constexpr int kLoopTimeoutSeconds = 10;
constexpr uint32_t kLoopSettleMs = 5;

// The identity block and the gauge serial after it, read over the RS485 converter.
constexpr uint16_t kCommsFirst = 0;
constexpr int kCommsCount = 21;
constexpr int kCommsTimeoutSeconds = 3;

}  // namespace

bool CheckSupplyCurrent(const DefaultLimits& limits, bool loaded, double currentMa) {
  return (loaded ? limits.loadedCurrentMa : limits.unloadedCurrentMa).Contains(currentMa);
}

bool CheckInternalRs485(UnitClient& client, OperatorInterface& op, bool show, std::array<double, 2>* readBack) {
  bool pass = true;
  if (readBack) readBack->fill(kNotMeasured);
  for (size_t k = 0; k < std::size(kLoopPatterns); ++k) {
    const uint16_t pattern = kLoopPatterns[k];
    // A pattern the unit did not take proves nothing, even when the register still holds it
    // from an earlier run.
    const bool written = client.WriteSingleRegister(pattern, reg::kRs485Loop, kLoopTimeoutSeconds);
    if (!written && show && client.UnitLost()) return false;
    client.port().WaitMilliseconds(kLoopSettleMs);
    uint16_t value = 0;
    const bool read = client.ReadInputRegisters(reg::kRs485Loop, 1, &value, kLoopTimeoutSeconds);
    if (readBack) (*readBack)[k] = read ? value : kNotMeasured;
    if (!read && show && client.UnitLost()) return false;
    if (!written || !read || value != (kLoopFlag | pattern)) pass = false;
  }
  if (show) op.ShowMessage(UnownedBox(pass ? "Pass" : "FAIL!!", "Internal RS485"));
  return pass;
}

// No reply here is what the check finds out about the RS485 link, not a sign of a lost unit:
// its boxes are always shown.
bool CheckRs485Comms(UnitClient& client, OperatorInterface& op, bool show) {
  uint16_t values[kCommsCount];
  const bool pass = client.ReadInputRegisters(kCommsFirst, kCommsCount, values, kCommsTimeoutSeconds);
  if (show) op.ShowMessage(UnownedBox(pass ? "Pass" : "FAIL!!", "RS485 comms"));
  return pass;
}

}  // namespace endcap
