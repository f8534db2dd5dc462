// The results record file: one plain-text log of calibration results, appended a line at a
// time (opened and closed for every line so nothing is held open), plus the operator ID that
// every line carries and the limit set loaded before each command that changes the unit.

#include <cctype>
#include <cmath>

#include "records/append_line.h"
#include "records/certificate_items.h"
#include "unit/conversions.h"
#include "unit/modbus_link.h"
#include "unit/text_format.h"

namespace endcap {

namespace {
constexpr const char* kRecordFileName = "RemoteInclinometerLog.txt";
}  // namespace

void ModbusLink::AppendRecordLine(const std::string& text) {
  std::string line;
  if (!text.empty()) {
    const LocalDateTime now = clock().Now();
    line = Format("%s %s %02d:%02d %02d/%02d/%d ", OperatorId.c_str(), unitSerial.c_str(), now.hour, now.minute, now.day,
                  now.month, now.year) +
           text;
  }
  line += '\n';
  // The line is lost when it does not land whole (no folder, no rights, a full disk); the
  // operator must know.
  if (!AppendWholeLine(recordFolder + "/" + kRecordFileName, line))
    op_.ShowMessage(UnownedBox("Unable to open record file SAVE_FILE"));
}

bool ModbusLink::EnsureOperatorId() {
  if (operatorKnown) return true;
  std::string text = op_.PromptText("Enter operator ID 2/3 chars", "");
  if (text.size() == 2 || text.size() == 3) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    OperatorId = text;
    operatorMarker = 1;
    operatorKnown = true;
  }
  return operatorKnown;
}

bool ModbusLink::BeginResultsRecord() {
  LoadDefaultLimits();
  return true;
}

void ModbusLink::LoadDefaultLimits() {
  limits.supply3v3 = {3.0, 3.6};
  limits.supplyPlus12 = {11.0, 13.0};
  limits.supplyMinus12 = {-13.0, -11.0};
  limits.externalPlus12 = {11.0, 13.0};
  limits.externalMinus12 = {-13.0, -11.0};
  limits.loadedCurrentMa = {90.0, 110.0};
  limits.unloadedCurrentMa = {25.0, 35.0};
  limits.unitCurrentMa = {50.0, 100.0};
  limits.smallAngleTolerance = 0.05;
  limits.largeAngleTolerance = 0.2;
  limits.standardGaugeAccuracy = 0.1;
  limits.precisionGaugeAccuracy = 0.05;
}

void ModbusLink::RecordInclinometerCalibration() {
  if (inclinometerCalRun) {
    AppendRecordLine(inclinometerCalPassed ? "External digital inclinometer calibrated "
                                           : "External digital inclinometer calibration failed");
    if (unitCurrentMa > 0) AppendRecordLine(Format("Current %d mA", unitCurrentMa));
    AppendRecordLine(Format("Warm up %d seconds", inclinometerWarmUpTenths / 10));
  }
  if (inclinometerCheckRun) {
    AppendRecordLine("External digital  inclinometer calibration checked");
    AppendRecordLine(Format("Pitch 0  Roll 0 Reads Pitch %.3f Roll %.3f", checkLevelReading.pitchDeg, checkLevelReading.rollDeg));
    for (const CheckSet& set : checkSets) {
      const double a = set.angleDeg;
      const CheckReading* r = set.readings;
      AppendRecordLine(Format("Pitch %.3f  Roll 0 Reads Pitch %.3f Roll %.3f", a, r[0].pitchDeg, r[0].rollDeg));
      AppendRecordLine(Format("Pitch 0  Roll %.3f Reads Pitch %.3f Roll %.3f", a, r[1].pitchDeg, r[1].rollDeg));
      AppendRecordLine(Format("Pitch -%.3f  Roll 0 Reads Pitch %.3f Roll %.3f", a, r[2].pitchDeg, r[2].rollDeg));
      AppendRecordLine(Format("Pitch 0  Roll -%.3f Reads Pitch %.3f Roll %.3f", a, r[3].pitchDeg, r[3].rollDeg));
    }
  }
  StoreCertificateItems(*this, InclinometerCheckItems(*this, clock().Now()));
  inclinometerCheckRun = false;
  inclinometerCalRun = false;
}

void ModbusLink::RecordStrainGaugeCalibration() {
  // Taken before the lines, which clear the points' done flags.
  const std::vector<StoredResult> storeItems = StrainGaugeItems(*this, clock().Now());
  if (strainGaugeCalRun) {
    AppendRecordLine(strainGaugeCalPassed ? "RS485 strain gauge calibrated" : "RS485 strain gauge failed calibration");
    AppendRecordLine(Format("%s %s Ser No %u", gaugeManufacturer.c_str(), gaugeModel.c_str(), gaugeSerialNo));
    AppendRecordLine(Format("Full scale %.1f BAR Accuracy %.2f %%", gaugeFullScaleBar, gaugeAccuracyPercent));
    AppendRecordLine(Format("Atmospheric Press %.1f mB Temperature %.2f deg C", atmosphericPressureMb, temperatureDegC));
    AppendRecordLine(Format("Equipment used %s Id No %d", equipmentUsed.c_str(), equipmentIdNo));
  }
  if (strainGaugeCheckRun) {
    for (PressurePoint& point : pressurePoints) {
      if (point.done) {
        const double tolerance = point.fullScalePsi * point.accuracyPercent * 0.01;
        const double applied = LeadingDouble(point.appliedText);
        AppendRecordLine(Format("Applied %.1f  Read %.1f", applied, point.readPsi) +
                         (std::fabs(point.readPsi - applied) <= tolerance ? " Pass" : " FAIL!!"));
      }
      point.done = false;
    }
  }
  AppendRecordLine(Format("Warm up period %.1f secs", strainGaugeWarmUpTenths * 0.1));
  StoreCertificateItems(*this, storeItems);
  strainGaugeCalRun = strainGaugeCalPassed = strainGaugeCheckRun = strainGaugeCheckPassed = false;
}

}  // namespace endcap
