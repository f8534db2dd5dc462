#pragma once
// The production checks of a bare board that the PCB test adds to the supply checks.

#include <array>

#include "operator/operator_interface.h"
#include "unit/default_limits.h"
#include "unit/unit_client.h"

namespace endcap {

// No exchange: whether the current typed by the operator lies in the loaded or unloaded window.
bool CheckSupplyCurrent(const DefaultLimits& limits, bool loaded, double currentMa);
// readBack, when given, takes what the loop register held after each pattern (NaN when its
// read failed).
bool CheckInternalRs485(UnitClient& client, OperatorInterface& op, bool show,
                        std::array<double, 2>* readBack = nullptr);
bool CheckRs485Comms(UnitClient& client, OperatorInterface& op, bool show);

}  // namespace endcap
