#include "records/results_record.h"

#include <cctype>
#include <cmath>

#include "operator/operator_prompts.h"
#include "records/append_line.h"
#include "records/certificate_items.h"
#include "serial/text_format.h"
#include "unit/conversions.h"

namespace endcap {

namespace {

constexpr const char* kRecordFileName = "RemoteInclinometerLog.txt";

// One record line as the file holds it: an empty text is a bare line end.
std::string RecordLine(const RecordSettings& settings, const UnitState& unit, Clock& clock, const std::string& text) {
  if (text.empty()) return "\n";
  const LocalDateTime now = clock.Now();
  return Format("%s %s %02d:%02d %02d/%02d/%d ", settings.operatorId.c_str(), unit.unitSerial.c_str(), now.hour,
                now.minute, now.day, now.month, now.year) +
         text + "\n";
}

// Appends lines to the record file as one block, whole or not at all; the operator is told when
// they were lost (no folder, no rights, a full disk). Empty when they landed, else why not.
std::string AppendRecordBlock(const RecordSettings& settings, OperatorInterface& op, const std::string& lines) {
  std::string reason;
  if (!AppendWholeLine(settings.recordFolder + "/" + kRecordFileName, lines, &reason))
    op.ShowMessage(UnownedBox("Unable to open record file SAVE_FILE\r\n" + reason));
  return reason;
}

// What the record file and the store did not take, as one reason.
std::string NotRecorded(const std::string& fileReason, const std::string& storeReason) {
  if (fileReason.empty() || storeReason.empty()) return fileReason + storeReason;
  return fileReason + "; " + storeReason;
}

}  // namespace

void AppendRecordLine(const RecordSettings& settings, const UnitState& unit, OperatorInterface& op, Clock& clock,
                      const std::string& text) {
  AppendRecordBlock(settings, op, RecordLine(settings, unit, clock, text));
}

bool EnsureOperatorId(OperatorInterface& op, RecordSettings& settings, UnitState& unit) {
  if (settings.operatorKnown) return true;
  std::string text = op.PromptText(prompt::kOperatorId, "");
  if (text.size() == 2 || text.size() == 3) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    settings.operatorId = text;
    unit.operatorMarker = 1;
    settings.operatorKnown = true;
  } else {
    op.ShowMessage(WindowBox("Operator ID must be 2 or 3 characters"));
  }
  return settings.operatorKnown;
}

bool BeginResultsRecord(DefaultLimits& limits) {
  LoadDefaultLimits(limits);
  return true;
}

std::string RecordInclinometerCalibration(const RecordSettings& settings, const UnitState& unit, InclinometerRun& run,
                                          OperatorInterface& op, Clock& clock) {
  std::string lines;
  const auto add = [&](const std::string& text) { lines += RecordLine(settings, unit, clock, text); };
  if (run.calRun) {
    add(run.calPassed ? "External digital inclinometer calibrated "
                              : "External digital inclinometer calibration failed");
    if (unit.unitCurrentMa > 0) add(Format("Current %d mA", unit.unitCurrentMa));
    add(Format("Warm up %d seconds", unit.inclinometerWarmUpTenths / 10));
  }
  if (run.checkRun) {
    add("External digital  inclinometer calibration checked");
    add(Format("Pitch 0  Roll 0 Reads Pitch %.3f Roll %.3f", run.checkLevelReading.pitchDeg, run.checkLevelReading.rollDeg));
    for (const CheckSet& set : run.checkSets) {
      const double a = set.angleDeg;
      const CheckReading* r = set.readings;
      add(Format("Pitch %.3f  Roll 0 Reads Pitch %.3f Roll %.3f", a, r[0].pitchDeg, r[0].rollDeg));
      add(Format("Pitch 0  Roll %.3f Reads Pitch %.3f Roll %.3f", a, r[1].pitchDeg, r[1].rollDeg));
      add(Format("Pitch -%.3f  Roll 0 Reads Pitch %.3f Roll %.3f", a, r[2].pitchDeg, r[2].rollDeg));
      add(Format("Pitch 0  Roll -%.3f Reads Pitch %.3f Roll %.3f", a, r[3].pitchDeg, r[3].rollDeg));
    }
  }
  const std::string fileReason = lines.empty() ? std::string() : AppendRecordBlock(settings, op, lines);
  const std::string storeReason =
      StoreCertificateItems(settings, op, InclinometerCheckItems(settings, unit, run, clock.Now()));
  run.checkRun = false;
  run.calRun = false;
  return NotRecorded(fileReason, storeReason);
}

std::string RecordStrainGaugeCalibration(const RecordSettings& settings, const UnitState& unit, StrainGaugeRun& run,
                                         OperatorInterface& op, Clock& clock) {
  // Taken before the lines, which clear the points' done flags.
  const std::vector<StoredResult> storeItems = StrainGaugeItems(settings, unit, run, clock.Now());
  std::string lines;
  const auto add = [&](const std::string& text) { lines += RecordLine(settings, unit, clock, text); };
  if (run.calRun) {
    add(run.calPassed ? "RS485 strain gauge calibrated" : "RS485 strain gauge failed calibration");
    add(Format("%s %s Ser No %u", run.gaugeManufacturer.c_str(), run.gaugeModel.c_str(), unit.gaugeSerialNo));
    add(Format("Full scale %.1f BAR Accuracy %.2f %%", unit.gaugeFullScaleBar, unit.gaugeAccuracyPercent));
    add(Format("Atmospheric Press %.1f mB Temperature %.2f deg C", run.atmosphericPressureMb, run.temperatureDegC));
    add(Format("Equipment used %s Id No %d", run.equipmentUsed.c_str(), run.equipmentIdNo));
  }
  if (run.checkRun) {
    for (PressurePoint& point : run.pressurePoints) {
      if (point.done) {
        const double tolerance = point.fullScalePsi * point.accuracyPercent * 0.01;
        const double applied = LeadingDouble(point.appliedText);
        add(Format("Applied %.1f  Read %.1f", applied, point.readPsi) +
            (std::fabs(point.readPsi - applied) <= tolerance ? " Pass" : " FAIL!!"));
      }
      point.done = false;
    }
  }
  add(Format("Warm up period %.1f secs", unit.strainGaugeWarmUpTenths * 0.1));
  const std::string fileReason = AppendRecordBlock(settings, op, lines);
  const std::string storeReason = StoreCertificateItems(settings, op, storeItems);
  run.calRun = run.calPassed = run.checkRun = run.checkPassed = false;
  return NotRecorded(fileReason, storeReason);
}

}  // namespace endcap
