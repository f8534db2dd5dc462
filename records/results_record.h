#pragma once
// The results record file: one plain-text log of calibration results, opened and closed for
// every append so nothing is held open; a calibration's lines go in as one block, so that none
// of them lands after an earlier one was lost. Also the operator ID that every line carries and
// the limit set loaded before each command that changes the unit.

#include <string>

#include "operator/operator_interface.h"
#include "records/record_settings.h"
#include "serial/clock.h"
#include "unit/default_limits.h"
#include "unit/procedure_runs.h"
#include "unit/unit_state.h"

namespace endcap {

// One line of text, with who, which unit and when, appended to the record file; a file that
// cannot take it is told to the operator.
void AppendRecordLine(const RecordSettings& settings, const UnitState& unit, OperatorInterface& op, Clock& clock,
                      const std::string& text);
// Asks for the operator's ID until one of two or three letters is given; it is then known
// (upper case) for the rest of the connection and marks the unit's records. An ID of another
// length is refused with a box that says why.
bool EnsureOperatorId(OperatorInterface& op, RecordSettings& settings, UnitState& unit);
// Loads the limit set; true.
bool BeginResultsRecord(DefaultLimits& limits);
// Each writes the calibration's lines as one block and stores its certificate items, then
// marks the run as recorded; the reason they were not recorded (the file's, the store's),
// empty when they were.
std::string RecordInclinometerCalibration(const RecordSettings& settings, const UnitState& unit, InclinometerRun& run,
                                          OperatorInterface& op, Clock& clock);
std::string RecordStrainGaugeCalibration(const RecordSettings& settings, const UnitState& unit, StrainGaugeRun& run,
                                         OperatorInterface& op, Clock& clock);

}  // namespace endcap
