#pragma once
// What each procedure found, as a value: the calibration and check of the inclinometer, the
// calibration and check of the strain gauge, the PCB test's checks. The unit operations compute
// into them, the procedures fill them, and the record operations write them.

#include <array>
#include <cstdint>
#include <limits>
#include <string>

namespace endcap {

struct RawSlot {
  int32_t a = 0;  // register 305, the pitch axis
  int32_t b = 0;  // register 306, the roll axis
  // The unit gave no counts for this slot (no reply, never ready): its zeros are not a reading.
  bool readFailed = false;
};

struct InclinometerCal {
  double offsetA = 0.0, gainA = 0.0, offsetB = 0.0, gainB = 0.0;
};

// One reading of the inclinometer check, with its verdict.
struct CheckReading {
  double pitchDeg = 0.0;
  double rollDeg = 0.0;
  bool pass = false;
};

// One check angle and its four readings: bow 0, 90, 180, 270 (recorded as +angle pitch,
// +angle roll, -angle pitch, -angle roll).
struct CheckSet {
  double angleDeg = 0.0;
  CheckReading readings[4];
};

struct InclinometerRun {
  // Level at rotations 0, 90, 180, 270, then tilted at the same four.
  RawSlot rawSlots[10];
  bool calRun = false;
  bool calPassed = false;
  InclinometerCal cal;

  bool checkRun = false;
  CheckReading checkLevelReading;
  CheckSet checkSets[2];
};

struct PressurePoint {
  bool done = false;
  double fullScalePsi = 0.0;
  double accuracyPercent = 0.0;
  double readPsi = 0.0;
  std::string appliedText;  // as the operator typed it
};

struct StrainGaugeRun {
  // What temperatureDegC holds until the operator has given the room's temperature.
  static constexpr double kTemperatureNotGivenDegC = -1000.0;

  // The next unit starts with no verdicts and asks for the room's temperature again; the
  // reference gauge and the bench stay.
  void ForgetUnit() {
    calRun = calPassed = checkRun = checkPassed = false;
    temperatureDegC = kTemperatureNotGivenDegC;
  }

  bool calRun = false;
  bool calPassed = false;
  bool checkRun = false;
  bool checkPassed = false;

  // The reference gauge and the bench, as the operator gave them; kept from run to run.
  std::string gaugeManufacturer;
  std::string gaugeModel;
  double atmosphericPressureMb = 0.0;
  double temperatureDegC = kTemperatureNotGivenDegC;
  std::string equipmentUsed;
  int32_t equipmentIdNo = 0;

  // The check points by percentage / 20: 0 % first.
  PressurePoint pressurePoints[6];
};

// -1 not run, 0 failed, 1 passed.
using CheckResult = int8_t;
constexpr CheckResult kCheckNotRun = -1;
constexpr CheckResult kCheckFailed = 0;
constexpr CheckResult kCheckPassed = 1;

inline constexpr double kNotMeasured = std::numeric_limits<double>::quiet_NaN();

// The supply voltages one check measured; NaN where no reading came (the external supplies
// have no 3.3 V).
struct SupplyReadings {
  double minus12 = kNotMeasured;
  double plus12 = kNotMeasured;
  double v3v3 = kNotMeasured;
};

struct PcbTestRun {
  CheckResult serialResult = kCheckNotRun;
  CheckResult suppliesResult = kCheckNotRun;
  CheckResult currentResult = kCheckNotRun;
  CheckResult internalRs485Result = kCheckNotRun;
  CheckResult rs485CommsResult = kCheckNotRun;
  // The verdict shown and stored on Exit; not run until then (and after Esc, or a lost unit).
  CheckResult overallResult = kCheckNotRun;
  // Whether the unit took Exit's factory record write (the stamp or the erase).
  bool factoryRecordWritten = false;
  // The test stopped because the unit stopped answering: no verdict, nothing written.
  bool unitLost = false;
  // What the checks were given and measured when they last ran; NaN where nothing came.
  std::string serialEntered;
  SupplyReadings boardSupplies;
  SupplyReadings externalSupplies;
  double unloadedCurrentMa = kNotMeasured;
  double loadedCurrentMa = kNotMeasured;
  std::array<double, 2> loopReadBack{kNotMeasured, kNotMeasured};  // the RS485 loop register, each pattern
};

}  // namespace endcap
