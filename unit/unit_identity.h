#pragma once
// Reading the unit's identity and settings into the station's copy, showing it, reconciling
// entered serial numbers with the unit's, and stamping or erasing its calibration records.

#include <string>

#include "operator/operator_interface.h"
#include "unit/unit_client.h"
#include "unit/unit_state.h"

namespace endcap {

void ReadUnitInfo(UnitClient& client, UnitState& unit);
// The information text; when a read of the last ReadUnitInfo failed, that the unit did not
// answer and which reads, instead of the values kept from before.
std::string FormatUnitInfo(const UnitState& unit);
std::string FormatCalRecord(const UnitState& unit, int kind);
// Normalises text to the unit's serial form ("123456-001", "E01234-005"); a text that has
// none becomes "000000-000" and gives false, with the reason shown when showMessages is set.
bool ValidateSerialText(OperatorInterface& op, std::string& text, bool showMessages);
// Prompts for the board's or the unit's serial until it is confirmed against the copy;
// a new unit serial is written to the unit.
bool ConfirmSerial(UnitClient& client, OperatorInterface& op, UnitState& unit, bool board);
// Each false when the serial is not in its standard form or the unit did not take the write.
bool WriteBoardSerial(UnitClient& client, const UnitState& unit);
bool WriteUnitSerial(UnitClient& client, const UnitState& unit);
// Stamps (valid) the record of kind with today's date and the operator's letters, or erases it;
// the copy follows only a write the unit took.
bool WriteCalRecord(UnitClient& client, UnitState& unit, const std::string& operatorId, int kind, bool valid);

}  // namespace endcap
