#pragma once
// The unit's identity, settings and calibration state as one JSON object, for scripts: what
// the information text shows, as values instead of display text.

#include <string>

#include "unit/unit_state.h"

namespace endcap {

std::string UnitInfoJson(const UnitState& unit);

}  // namespace endcap
