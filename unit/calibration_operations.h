#pragma once
// The unit's side of the two calibrations: the inclinometer check tolerance, the pressures
// offered to the operator, the strain-gauge coefficients, and the bench data that the record
// file needs.

#include "operator/operator_interface.h"
#include "unit/default_limits.h"
#include "unit/procedure_runs.h"
#include "unit/unit_client.h"
#include "unit/unit_state.h"

namespace endcap {

// The error allowed at a check angle, in degrees.
double InclinometerTolerance(const DefaultLimits& limits, double angleDeg);
// Whether a gauge of the stated accuracy is checked as a precision gauge, and the accuracy (in
// percent of full scale) its check points must keep.
bool IsPrecisionGauge(const DefaultLimits& limits, double accuracyPercent);
double GaugeCheckAccuracy(const DefaultLimits& limits, double accuracyPercent);
// The dead-weight pressure (psi) to offer for a percentage of the gauge's full scale: a round
// figure near it, never above the full scale.
int SuggestPressure(int percentOfFullScale, int fullScalePsi);
// Offset and scale of the strain gauge from the raw zero and high readings; asks before taking
// values out of their normal range and writes them only when accepted. True only when the
// unit took them.
bool ComputePressureCal(UnitClient& client, OperatorInterface& op, StrainGaugeRun& run, double zeroPsi,
                        double appliedPsi, double highPsi, double atmosphericMb);
// Ask for what the record file needs and is not known yet: the room, the dead-weight tester,
// the reference gauge.
void EnsureEquipmentData(OperatorInterface& op, StrainGaugeRun& run);
void EnsureGaugeIdentity(OperatorInterface& op, UnitState& unit, StrainGaugeRun& run);

}  // namespace endcap
