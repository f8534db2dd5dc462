// The results record file: one plain-text log of calibration results, opened and closed for
// every append so nothing is held open; a calibration's lines go in as one block, so that none
// of them lands after an earlier one was lost. Also the operator ID that every line carries and
// the limit set loaded before each command that changes the unit.

#include <cctype>
#include <cmath>

#include "records/append_line.h"
#include "records/certificate_items.h"
#include "serial/text_format.h"
#include "unit/conversions.h"
#include "unit/modbus_link.h"

namespace endcap {

namespace {

constexpr const char* kRecordFileName = "RemoteInclinometerLog.txt";

// One record line as the file holds it: an empty text is a bare line end.
std::string RecordLine(ModbusLink& link, const std::string& text) {
  if (text.empty()) return "\n";
  const LocalDateTime now = link.clock().Now();
  return Format("%s %s %02d:%02d %02d/%02d/%d ", link.OperatorId.c_str(), link.unitSerial.c_str(), now.hour, now.minute,
                now.day, now.month, now.year) +
         text + "\n";
}

// Appends lines to the record file as one block, whole or not at all; the operator is told when
// they were lost (no folder, no rights, a full disk). Empty when they landed, else why not.
std::string AppendRecordBlock(ModbusLink& link, const std::string& lines) {
  std::string reason;
  if (!AppendWholeLine(link.recordFolder + "/" + kRecordFileName, lines, &reason))
    link.op().ShowMessage(UnownedBox("Unable to open record file SAVE_FILE\r\n" + reason));
  return reason;
}

// What the record file and the store did not take, as one reason.
std::string NotRecorded(const std::string& fileReason, const std::string& storeReason) {
  if (fileReason.empty() || storeReason.empty()) return fileReason + storeReason;
  return fileReason + "; " + storeReason;
}

}  // namespace

void ModbusLink::AppendRecordLine(const std::string& text) { AppendRecordBlock(*this, RecordLine(*this, text)); }

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

std::string ModbusLink::RecordInclinometerCalibration() {
  std::string lines;
  const auto add = [&](const std::string& text) { lines += RecordLine(*this, text); };
  if (inclinometerCalRun) {
    add(inclinometerCalPassed ? "External digital inclinometer calibrated "
                              : "External digital inclinometer calibration failed");
    if (unitCurrentMa > 0) add(Format("Current %d mA", unitCurrentMa));
    add(Format("Warm up %d seconds", inclinometerWarmUpTenths / 10));
  }
  if (inclinometerCheckRun) {
    add("External digital  inclinometer calibration checked");
    add(Format("Pitch 0  Roll 0 Reads Pitch %.3f Roll %.3f", checkLevelReading.pitchDeg, checkLevelReading.rollDeg));
    for (const CheckSet& set : checkSets) {
      const double a = set.angleDeg;
      const CheckReading* r = set.readings;
      add(Format("Pitch %.3f  Roll 0 Reads Pitch %.3f Roll %.3f", a, r[0].pitchDeg, r[0].rollDeg));
      add(Format("Pitch 0  Roll %.3f Reads Pitch %.3f Roll %.3f", a, r[1].pitchDeg, r[1].rollDeg));
      add(Format("Pitch -%.3f  Roll 0 Reads Pitch %.3f Roll %.3f", a, r[2].pitchDeg, r[2].rollDeg));
      add(Format("Pitch 0  Roll -%.3f Reads Pitch %.3f Roll %.3f", a, r[3].pitchDeg, r[3].rollDeg));
    }
  }
  const std::string fileReason = lines.empty() ? std::string() : AppendRecordBlock(*this, lines);
  const std::string storeReason = StoreCertificateItems(*this, InclinometerCheckItems(*this, clock().Now()));
  inclinometerCheckRun = false;
  inclinometerCalRun = false;
  return NotRecorded(fileReason, storeReason);
}

std::string ModbusLink::RecordStrainGaugeCalibration() {
  // Taken before the lines, which clear the points' done flags.
  const std::vector<StoredResult> storeItems = StrainGaugeItems(*this, clock().Now());
  std::string lines;
  const auto add = [&](const std::string& text) { lines += RecordLine(*this, text); };
  if (strainGaugeCalRun) {
    add(strainGaugeCalPassed ? "RS485 strain gauge calibrated" : "RS485 strain gauge failed calibration");
    add(Format("%s %s Ser No %u", gaugeManufacturer.c_str(), gaugeModel.c_str(), gaugeSerialNo));
    add(Format("Full scale %.1f BAR Accuracy %.2f %%", gaugeFullScaleBar, gaugeAccuracyPercent));
    add(Format("Atmospheric Press %.1f mB Temperature %.2f deg C", atmosphericPressureMb, temperatureDegC));
    add(Format("Equipment used %s Id No %d", equipmentUsed.c_str(), equipmentIdNo));
  }
  if (strainGaugeCheckRun) {
    for (PressurePoint& point : pressurePoints) {
      if (point.done) {
        const double tolerance = point.fullScalePsi * point.accuracyPercent * 0.01;
        const double applied = LeadingDouble(point.appliedText);
        add(Format("Applied %.1f  Read %.1f", applied, point.readPsi) +
            (std::fabs(point.readPsi - applied) <= tolerance ? " Pass" : " FAIL!!"));
      }
      point.done = false;
    }
  }
  add(Format("Warm up period %.1f secs", strainGaugeWarmUpTenths * 0.1));
  const std::string fileReason = AppendRecordBlock(*this, lines);
  const std::string storeReason = StoreCertificateItems(*this, storeItems);
  strainGaugeCalRun = strainGaugeCalPassed = strainGaugeCheckRun = strainGaugeCheckPassed = false;
  return NotRecorded(fileReason, storeReason);
}

}  // namespace endcap
