#pragma once
// What a procedure dialog works with: the unit's client and the station's copy of the unit,
// the operator, and the station's limits and operator ID (the letters its records are stamped
// with). The references are the application's; the dialog only borrows them.

#include <string>

#include "operator/operator_interface.h"
#include "unit/default_limits.h"
#include "unit/unit_client.h"
#include "unit/unit_state.h"

namespace endcap {

struct ProcedureContext {
  UnitClient& client;
  UnitState& unit;
  OperatorInterface& op;
  const DefaultLimits& limits;
  const std::string& operatorId;
};

}  // namespace endcap
