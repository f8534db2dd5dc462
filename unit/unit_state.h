#pragma once
// The station's copy of the unit under test: its identity (registers 0-22), its settings
// (128-144) and its calibration records (400-419), as ReadUnitInfo fills them and
// FormatUnitInfo shows them, with what the station has confirmed about it.

#include <cstdint>
#include <string>

#include "unit/cal_record.h"

namespace endcap {

struct UnitState {
  // --- identity (registers 0-22) ---
  uint16_t enabledSensors = 0;
  uint16_t fittedSensors = 0;
  int32_t firmwareMajor = 0;
  int32_t firmwareMinor = 0;
  char firmwareLetter = ' ';
  int32_t pcbDrawing[3] = {0, 0, 0};
  std::string boardSerial = "000000-000";
  std::string unitSerial = "000000-000";
  int32_t modbusAddress = 0;
  uint8_t idNumber[8] = {};
  uint32_t gaugeSerialNo = 0;

  // --- settings (128-144) ---
  double inclinometerAccuracyPercent = 0.0;
  double inclinometerFullScaleDeg = 0.0;
  int32_t inclinometerSamples = 0;
  int32_t inclinometerWarmUpTenths = 0;
  int32_t strainGaugeWarmUpTenths = 0;
  int32_t unitCurrentMa = -1;
  double gaugeFullScaleBar = 0.0;
  double gaugeAccuracyPercent = 0.0;

  CalRecord calRecords[5];
  bool boardSerialConfirmed = false;
  bool unitSerialConfirmed = false;
  // Stamped into the calibration records; set once the operator has given an ID.
  uint16_t operatorMarker = 0;

  // The reads of the last ReadUnitInfo that failed, each with why; "" when all four succeeded.
  std::string unitInfoReadFailures;
};

// What must be read or confirmed again for the next unit on the line: its calibration
// records, current and address, the serial confirmations and the operator marker. The
// identity stays until the next ReadUnitInfo replaces it.
void ResetUnitState(UnitState& unit);

}  // namespace endcap
