#pragma once
// The production checks of a bare board that the PCB test adds to the supply checks.

#include "operator/operator_interface.h"
#include "unit/default_limits.h"
#include "unit/unit_client.h"

namespace endcap {

// No exchange: whether the current typed by the operator lies in the loaded or unloaded window.
bool CheckSupplyCurrent(const DefaultLimits& limits, bool loaded, double currentMa);
bool CheckInternalRs485(UnitClient& client, OperatorInterface& op, bool show);
bool CheckRs485Comms(UnitClient& client, OperatorInterface& op, bool show);

}  // namespace endcap
