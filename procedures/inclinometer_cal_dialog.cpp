#include "procedures/inclinometer_cal_dialog.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

#include "operator/operator_prompts.h"
#include "protocol/register_map.h"
#include "resources/calibration_control_ids.h"
#include "serial/text_format.h"
#include "unit/calibration_operations.h"
#include "unit/conversions.h"
#include "unit/sensor_operations.h"
#include "unit/unit_identity.h"

namespace endcap {

namespace {

constexpr int kSettingsTimeoutSeconds = 2;
// Calibrate measures on the fixture at its full range, whatever the unit reported.
constexpr double kCalibratedFullScaleDeg = 90.0;
constexpr double kCalibrationApproxPitchDeg = 10.0;
constexpr double kFirstCheckApproxDeg = 5.0;
constexpr double kSecondCheckApproxDeg = 45.0;
constexpr int kRotations = 4;
constexpr int kDegreesPerRotation = 90;
constexpr int kTiltedSlots = 4;

// The four rotations of a check angle: which axis the tilt acts on and in which sense.
struct BowPosition {
  const char* prompt;
  bool pitchAxis;
  double sense;
};
constexpr BowPosition kBowPositions[kRotations] = {
    {"Allign bow to 0 degrees", true, 1.0},
    {"Allign bow to 90 degrees", false, 1.0},
    {"Allign bow to 180 degrees", true, -1.0},
    {"Allign bow to 270 degrees", false, -1.0},
};

struct Command {
  int id;
  void (InclinometerCalDialog::*handler)();
};
constexpr Command kCommands[] = {
    {ctl::incl::kCalibrate, &InclinometerCalDialog::OnCalibrate},
    {ctl::incl::kConfirm, &InclinometerCalDialog::OnConfirmCalibration},
    {ctl::incl::kRead, &InclinometerCalDialog::OnReadInclinometer},
    {ctl::incl::kSetSamples, &InclinometerCalDialog::OnSetSamplesAndWarmUp},
    {ctl::incl::kExit, &InclinometerCalDialog::OnExit},
};

}  // namespace

bool InclinometerCalDialog::HasCommand(int id) {
  for (const Command& command : kCommands)
    if (command.id == id) return true;
  return false;
}

bool InclinometerCalDialog::OnCommand(int id) {
  for (const Command& command : kCommands) {
    if (command.id != id) continue;
    (this->*command.handler)();
    return true;
  }
  return false;
}

void InclinometerCalDialog::OnInitDialog() {
  samples = context_.unit.inclinometerSamples;
  warmUpText = Format("%.1f", context_.unit.inclinometerWarmUpTenths * 0.1);
  UpdateData(false);
}

void InclinometerCalDialog::UpdateData(bool save) {
  if (save) {
    pitchText = view_->FieldText(ctl::incl::kPitch);
    rollText = view_->FieldText(ctl::incl::kRoll);
    if (!ParseIntegerField(view_->FieldText(ctl::incl::kSamples), samples))
      context_.op.ShowMessage(DialogBox(kNotAnInteger, kApplicationName, BoxButtons::Ok, BoxIcon::Warning));
    warmUpText = view_->FieldText(ctl::incl::kWarmUp);
    return;
  }
  view_->SetFieldText(ctl::incl::kPitch, pitchText);
  view_->SetFieldText(ctl::incl::kRoll, rollText);
  view_->SetFieldText(ctl::incl::kSamples, std::to_string(samples));
  view_->SetFieldText(ctl::incl::kWarmUp, warmUpText);
}

void InclinometerCalDialog::Box(const std::string& text) { context_.op.ShowMessage(DialogBox(text)); }

bool InclinometerCalDialog::BenchStep(const std::string& text) { return BenchStepDone(context_.op, text); }

bool InclinometerCalDialog::WriteSamplesAndWarmUp() {
  context_.unit.inclinometerSamples = samples;
  context_.unit.inclinometerWarmUpTenths = TruncateToInt(LeadingDouble(warmUpText) * 10.0);
  const uint16_t regs[2] = {static_cast<uint16_t>(context_.unit.inclinometerSamples),
                            static_cast<uint16_t>(context_.unit.inclinometerWarmUpTenths)};
  return context_.client.WriteMultipleRegisters(reg::kInclinometerSamples, 2, regs, kSettingsTimeoutSeconds);
}

void InclinometerCalDialog::OnSetSamplesAndWarmUp() {
  UpdateData(true);
  commandSucceeded = WriteSamplesAndWarmUp();
  UpdateData(false);
}

bool InclinometerCalDialog::MeasureSlot(int slot) {
  ReadInclinometerRaw(context_.client, run_, slot);
  return !(run_.rawSlots[slot].readFailed && StopForLostUnit(context_.client, context_.op));
}

void InclinometerCalDialog::OnCalibrate() {
  commandSucceeded = false;
  UpdateData(true);
  if (!WriteSamplesAndWarmUp() && StopForLostUnit(context_.client, context_.op)) return;
  context_.unit.inclinometerFullScaleDeg = kCalibratedFullScaleDeg;
  // The record is erased before anything is measured: a calibration that does not end leaves
  // the unit marked as not calibrated, and the station's copy of the verdict says the same.
  run_.calPassed = false;
  if (!WriteCalRecord(context_.client, context_.unit, context_.operatorId, kInclinometerCalKind, false) && StopForLostUnit(context_.client, context_.op)) return;
  if (!BenchStep("Mount the end-cap with 0 pitch and 0 roll\r\nUse the reference sensors to confirm this")) return;
  for (int k = 0; k < kRotations; ++k) {
    if (!BenchStep(Format("Position the end cap at the %d degrees position", kDegreesPerRotation * k))) return;
    if (!MeasureSlot(k)) return;
  }
  if (!BenchStep("Mount the end-cap with approx +10 deg pitch and 0 roll\r\nUse the reference sensors to confirm this"))
    return;
  const double pitchDeg =
      LeadingDouble(context_.op.PromptText("Enter exact pitch in degrees", Format("%.1f", kCalibrationApproxPitchDeg)));
  for (int k = 0; k < kRotations; ++k) {
    if (!BenchStep(Format("Position the end cap at the %d degrees position", kDegreesPerRotation * k))) return;
    if (!MeasureSlot(kTiltedSlots + k)) return;
  }
  context_.unit.unitCurrentMa = 0;
  context_.unit.unitCurrentMa = static_cast<int32_t>(LeadingInt(context_.op.PromptText(prompt::kCurrentDrawn, "")));
  // Warnings only: the entered current is written whatever it is.
  if (context_.unit.unitCurrentMa > context_.limits.unitCurrentMa.upper) Box("Current is excessive for this unit");
  if (context_.unit.unitCurrentMa < context_.limits.unitCurrentMa.lower) Box("Current is low for this unit");
  if (!WriteUnitCurrent(context_.client, context_.unit) && StopForLostUnit(context_.client, context_.op)) return;
  const bool passed = ComputeInclinometerCal(context_.client, run_, pitchDeg);
  if (!passed && StopForLostUnit(context_.client, context_.op)) return;
  Box(passed ? "Calibration successful" : "Calibration failed!!!!!!");
  const bool recordWritten = WriteCalRecord(context_.client, context_.unit, context_.operatorId, kInclinometerCalKind, passed);
  // A calibration whose stamp the unit did not take is not one its record shows.
  run_.calPassed = passed && recordWritten;
  if (!recordWritten && StopForLostUnit(context_.client, context_.op)) return;
  UpdateData(false);
  commandSucceeded = run_.calPassed;
}

template <class Judge, class Line>
InclinometerCalDialog::PositionEnd InclinometerCalDialog::RunPosition(const std::string& prompt, CheckReading& stored,
                                                                      Judge judge, Line line, std::string& result) {
  for (;;) {
    if (!BenchStep(prompt)) return PositionEnd::Stopped;
    PitchRollReading reading = ReadPitchRoll(context_.client, true);
    if (!reading.valid && StopForLostUnit(context_.client, context_.op)) return PositionEnd::Stopped;
    // A reading that never came is judged on nothing: it fails and is kept as not a number,
    // never as zeros or the values of an earlier position.
    if (!reading.valid) reading.pitchDeg = reading.rollDeg = std::numeric_limits<double>::quiet_NaN();
    const bool pass = reading.valid && judge(reading);
    stored = {reading.pitchDeg, reading.rollDeg, pass};
    result = line(reading) + (pass ? "  PASS\r\n" : "  FAIL\r\n");
    if (pass) return PositionEnd::Passed;
    const BoxAnswer answer = context_.op.ShowMessage(
        DialogBox(Format("Measured values Pitch %.3f  Roll %.3f\r\nare outside limits", reading.pitchDeg, reading.rollDeg),
                  "Confirm result", BoxButtons::AbortRetryIgnore, BoxIcon::Question, 1));
    if (answer == BoxAnswer::Retry) continue;
    return answer == BoxAnswer::Ignore ? PositionEnd::Ignored : PositionEnd::Stopped;
  }
}

bool InclinometerCalDialog::RunCheckSet(CheckSet& set, const char* approach, double approxDeg, std::string& summary,
                                        bool& allPassed) {
  if (!BenchStep(Format("Set End-Cap to %s pitch angle (approx %.0f degrees)", approach, approxDeg))) return false;
  const double angle = LeadingDouble(context_.op.PromptText("Enter exact pitch in degrees", Format("%.1f", approxDeg)));
  set.angleDeg = angle;
  const double tolerance = InclinometerTolerance(context_.limits, angle);
  for (int k = 0; k < kRotations; ++k) {
    const BowPosition& bow = kBowPositions[k];
    const double expected = bow.sense * angle;
    std::string line;
    const PositionEnd end = RunPosition(
        bow.prompt, set.readings[k],
        [&](const PitchRollReading& r) {
          return std::fabs(expected - (bow.pitchAxis ? r.pitchDeg : r.rollDeg)) <= tolerance;
        },
        [&](const PitchRollReading& r) {
          return Format(bow.pitchAxis ? "Pitch %.3f  Roll 0 Reads Pitch=%.3f Roll=%.3f"
                                      : "Pitch 0  Roll %.3f Reads Pitch=%.3f Roll=%.3f",
                        expected, r.pitchDeg, r.rollDeg);
        },
        line);
    if (end == PositionEnd::Stopped) return false;
    allPassed = allPassed && end == PositionEnd::Passed;
    summary += line;
  }
  return true;
}

void InclinometerCalDialog::OnConfirmCalibration() {
  commandSucceeded = false;
  // The run's readings become the unit's check data only at its summary: a run that stops
  // before it leaves the last complete run as it was.
  CheckSet sets[2];
  CheckReading levelReading;
  std::string summary;
  bool allPassed = true;
  if (!RunCheckSet(sets[0], "first", kFirstCheckApproxDeg, summary, allPassed)) return;
  if (!RunCheckSet(sets[1], "second", kSecondCheckApproxDeg, summary, allPassed)) return;
  const double tolerance = InclinometerTolerance(context_.limits, 0.0);
  std::string levelLine;  // shown in no summary
  const PositionEnd level = RunPosition(
      "Set End-Cap to level\r\nAllign bow to zero degrees", levelReading,
      [&](const PitchRollReading& r) { return std::fabs(r.pitchDeg) <= tolerance && std::fabs(r.rollDeg) <= tolerance; },
      [](const PitchRollReading& r) {
        return Format("Pitch 0  Roll 0 Reads Pitch=%.3f Roll=%.3f", r.pitchDeg, r.rollDeg);
      },
      levelLine);
  if (level == PositionEnd::Stopped) return;
  std::copy(std::begin(sets), std::end(sets), run_.checkSets);
  run_.checkLevelReading = levelReading;
  run_.checkRun = true;
  context_.op.ShowMessage(DialogBox(summary, "Results"));
  commandSucceeded = allPassed && level == PositionEnd::Passed;
}

void InclinometerCalDialog::OnReadInclinometer() {
  const PitchRollReading reading = ReadPitchRoll(context_.client, false);
  commandSucceeded = reading.valid;
  pitchText = reading.valid ? Format("%f", reading.pitchDeg) : "No reply";
  rollText = reading.valid ? Format("%f", reading.rollDeg) : "No reply";
  // Only the two readings: an entry typed into samples or warm-up and not yet set stays.
  view_->SetFieldText(ctl::incl::kPitch, pitchText);
  view_->SetFieldText(ctl::incl::kRoll, rollText);
}

void InclinometerCalDialog::OnExit() { view_->EndDialog(); }

}  // namespace endcap
