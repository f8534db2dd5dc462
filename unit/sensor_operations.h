#pragma once
// Measurements and sensor switches over the unit's client. Only the supply checks show
// anything, and only when asked to.

#include <cstdint>

#include "operator/operator_interface.h"
#include "unit/default_limits.h"
#include "unit/procedure_runs.h"
#include "unit/unit_client.h"
#include "unit/unit_state.h"

namespace endcap {

struct PitchRollReading {
  double pitchDeg = 0.0;
  double rollDeg = 0.0;
  bool valid = false;
};

struct PressureReading {
  double psi = 0.0;  // NaN when no read succeeded
  // The wait ended with a ready value rather than by its time limit.
  bool ready = false;
};

// The enabled-sensor word of the copy with mask set or cleared, written to the unit.
bool EnableSensors(UnitClient& client, const UnitState& unit, uint16_t mask);
bool DisableSensors(UnitClient& client, const UnitState& unit, uint16_t mask);
// Each measures its supplies and judges them against the limits; measured, when given, takes
// the voltages.
bool CheckPowerSupplies(UnitClient& client, OperatorInterface& op, const DefaultLimits& limits, bool show,
                        SupplyReadings* measured = nullptr);
bool CheckExternalSupplies(UnitClient& client, OperatorInterface& op, const DefaultLimits& limits, bool show,
                           SupplyReadings* measured = nullptr);
PitchRollReading ReadPitchRoll(UnitClient& client, bool trigger);
// The raw counts of a new measurement into the run's slot.
void ReadInclinometerRaw(UnitClient& client, InclinometerRun& run, int slot);
// Offsets and gains from the run's eight slots into the run; true only when the calibration
// passed and the unit took its coefficients.
bool ComputeInclinometerCal(UnitClient& client, InclinometerRun& run, double exactPitchDeg);
bool WriteUnitCurrent(UnitClient& client, const UnitState& unit);
// The first or the second pressure value, polled until ready or timeLimitSeconds.
PressureReading ReadPressure(UnitClient& client, bool first, bool trigger, int timeLimitSeconds);

}  // namespace endcap
