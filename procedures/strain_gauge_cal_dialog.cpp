#include "procedures/strain_gauge_cal_dialog.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "operator/operator_prompts.h"
#include "protocol/pressure.h"
#include "protocol/register_map.h"
#include "protocol/register_values.h"
#include "resources/calibration_control_ids.h"
#include "serial/text_format.h"
#include "unit/calibration_operations.h"
#include "unit/conversions.h"
#include "unit/sensor_operations.h"
#include "unit/unit_identity.h"

namespace endcap {

namespace {

constexpr int kWarmUpTimeoutSeconds = 2;
constexpr int kRangeTimeoutSeconds = 5;
// The calibration waits longer for its raw readings than the check and the reading do.
constexpr int kCalibrationReadSeconds = 20;
constexpr int kCheckReadSeconds = 10;
constexpr int kCalibrationPercent = 80;
// The check points, from full scale down; a point's index is its percentage / 20.
constexpr int kCheckPercents[] = {100, 80, 60, 40, 20, 0};
constexpr int kPercentPerPoint = 20;
constexpr const char* kPressureCaption = "Pressure Cal.";

struct Command {
  int id;
  void (StrainGaugeCalDialog::*handler)();
};
constexpr Command kCommands[] = {
    {ctl::strain::kSetAndCalibrate, &StrainGaugeCalDialog::OnSetAndCalibrate},
    {ctl::strain::kConfirm, &StrainGaugeCalDialog::OnConfirmCalibration},
    {ctl::strain::kSetWarmUp, &StrainGaugeCalDialog::OnSetWarmUp},
    {ctl::strain::kReadPressure, &StrainGaugeCalDialog::OnReadPressure},
    {ctl::strain::kExit, &StrainGaugeCalDialog::OnExit},
};

}  // namespace

bool StrainGaugeCalDialog::HasCommand(int id) {
  for (const Command& command : kCommands)
    if (command.id == id) return true;
  return false;
}

bool StrainGaugeCalDialog::OnCommand(int id) {
  for (const Command& command : kCommands) {
    if (command.id != id) continue;
    (this->*command.handler)();
    return true;
  }
  return false;
}

void StrainGaugeCalDialog::OnInitDialog() {
  warmUpText = Format("%.1f", context_.unit.strainGaugeWarmUpTenths * 0.1);
  fullScaleText = Format("%.1f", context_.unit.gaugeFullScaleBar);
  accuracyText = Format("%.2f", context_.unit.gaugeAccuracyPercent);
  UpdateData(false);
}

void StrainGaugeCalDialog::UpdateData(bool save) {
  if (save) {
    fullScaleText = view_->FieldText(ctl::strain::kFullScale);
    accuracyText = view_->FieldText(ctl::strain::kAccuracy);
    warmUpText = view_->FieldText(ctl::strain::kWarmUp);
    pressureText = view_->FieldText(ctl::strain::kPressure);
    return;
  }
  view_->SetFieldText(ctl::strain::kFullScale, fullScaleText);
  view_->SetFieldText(ctl::strain::kAccuracy, accuracyText);
  view_->SetFieldText(ctl::strain::kWarmUp, warmUpText);
  view_->SetFieldText(ctl::strain::kPressure, pressureText);
}

void StrainGaugeCalDialog::Box(const std::string& text, const std::string& caption) {
  context_.op.ShowMessage(DialogBox(text, caption));
}

int StrainGaugeCalDialog::FullScalePsi() const { return TruncateToInt(context_.unit.gaugeFullScaleBar * kPsiPerBar); }

bool StrainGaugeCalDialog::WriteGaugeSettings() {
  context_.unit.strainGaugeWarmUpTenths = TruncateToInt(LeadingDouble(warmUpText) * 10.0);
  const uint16_t warmUp = static_cast<uint16_t>(context_.unit.strainGaugeWarmUpTenths);
  const bool warmUpWritten = context_.client.WriteMultipleRegisters(reg::kPressureWarmUp, 1, &warmUp, kWarmUpTimeoutSeconds);
  context_.unit.gaugeFullScaleBar = LeadingDouble(fullScaleText);
  context_.unit.gaugeAccuracyPercent = LeadingDouble(accuracyText);
  uint16_t range[4];
  Int32ToRegisters(range, 0, FloatBits(static_cast<float>(context_.unit.gaugeFullScaleBar)));
  Int32ToRegisters(range, 2, FloatBits(static_cast<float>(context_.unit.gaugeAccuracyPercent)));
  const bool rangeWritten = context_.client.WriteMultipleRegisters(reg::kPressureFullScale, 4, range, kRangeTimeoutSeconds);
  return warmUpWritten && rangeWritten;
}

void StrainGaugeCalDialog::OnSetWarmUp() {
  UpdateData(true);
  commandSucceeded = WriteGaugeSettings();
  UpdateData(false);
}

void StrainGaugeCalDialog::OnReadPressure() {
  UpdateData(true);
  const double psi = ReadPressure(context_.client, true, false, kCheckReadSeconds).psi;
  commandSucceeded = !std::isnan(psi);
  pressureText = std::isnan(psi) ? "No reply" : Format("%.2f", psi);
  UpdateData(false);
}

bool StrainGaugeCalDialog::ConfirmFullScale() {
  MessageBox question = DialogBox(Format("The pressure sensor full scale pressure is %.1f BAR", context_.unit.gaugeFullScaleBar),
                                  kApplicationName, BoxButtons::YesNo, BoxIcon::Warning);
  question.asks = BoxAsks::GoingOn;
  return context_.op.ShowMessage(question) == BoxAnswer::Yes;
}

bool StrainGaugeCalDialog::AskPressure(PressureSetDialog& dialog, int percent) {
  dialog.percentOfFullScale = percent;
  dialog.fullScalePsi = FullScalePsi();
  view_->RunPressureSetDialog(dialog);
  return !dialog.abandoned;
}

double StrainGaugeCalDialog::MeasureRaw(bool& stopped) {
  const double psi = ReadPressure(context_.client, false, true, kCalibrationReadSeconds).psi;
  stopped = std::isnan(psi) && StopForLostUnit(context_.client, context_.op);
  return psi;
}

void StrainGaugeCalDialog::OnSetAndCalibrate() {
  commandSucceeded = false;
  UpdateData(true);
  if (!WriteGaugeSettings() && StopForLostUnit(context_.client, context_.op)) return;
  context_.unit.gaugeFullScaleBar = LeadingDouble(fullScaleText);
  if (!ConfirmFullScale()) return;
  EnsureEquipmentData(context_.op, run_);
  context_.unit.gaugeAccuracyPercent = LeadingDouble(accuracyText);
  EnsureGaugeIdentity(context_.op, context_.unit, run_);
  if (!BenchStepDone(context_.op, "Set pressure to zero", kPressureCaption)) return;
  bool stopped = false;
  const double zero = MeasureRaw(stopped);
  if (stopped) return;
  PressureSetDialog pressure(context_.op);
  if (!AskPressure(pressure, kCalibrationPercent)) return;
  const double applied = LeadingDouble(pressure.appliedText);
  const double high = MeasureRaw(stopped);
  if (stopped) return;
  context_.unit.unitCurrentMa = 0;
  context_.unit.unitCurrentMa = static_cast<int32_t>(LeadingInt(context_.op.PromptText(prompt::kCurrentDrawn, "")));
  // Warnings only: the entered current is written whatever it is.
  if (context_.unit.unitCurrentMa > context_.limits.unitCurrentMa.upper) Box("Current is excessive for this unit", kPressureCaption);
  if (context_.unit.unitCurrentMa < context_.limits.unitCurrentMa.lower) Box("Current is low for this unit", kPressureCaption);
  if (!WriteUnitCurrent(context_.client, context_.unit) && StopForLostUnit(context_.client, context_.op)) return;
  const bool passed = ComputePressureCal(context_.client, context_.op, run_, zero, applied, high, run_.atmosphericPressureMb);
  // Once coefficients may have been sent, an earlier verdict no longer describes the unit.
  run_.calPassed = false;
  if (!passed && StopForLostUnit(context_.client, context_.op)) return;
  Box(passed ? "Calibration successful" : "Calibration failed!!!!!!", kPressureCaption);
  const bool recordWritten = WriteCalRecord(context_.client, context_.unit, context_.operatorId, kPressureCalKind, passed);
  // A calibration whose stamp the unit did not take is not one its record shows.
  run_.calPassed = passed && recordWritten;
  if (!recordWritten && StopForLostUnit(context_.client, context_.op)) return;
  commandSucceeded = run_.calPassed;
}

void StrainGaugeCalDialog::OnConfirmCalibration() {
  commandSucceeded = false;
  UpdateData(true);
  if (!ConfirmFullScale()) return;
  EnsureEquipmentData(context_.op, run_);
  EnsureGaugeIdentity(context_.op, context_.unit, run_);
  std::string summary;
  // The run's points and verdict become the unit's check data only at its summary: a run that
  // stops before it leaves the last complete run as it was.
  PressurePoint points[std::size(kCheckPercents)];
  bool passed = true;
  // One dialog for the six points: Escape at a point keeps the pressure accepted last.
  PressureSetDialog pressure(context_.op);
  const double accuracy = GaugeCheckAccuracy(context_.limits, LeadingDouble(accuracyText));
  for (const int percent : kCheckPercents) {
    PressurePoint& point = points[percent / kPercentPerPoint];
    for (;;) {
      if (!AskPressure(pressure, percent)) return;
      const double psi = ReadPressure(context_.client, true, true, kCheckReadSeconds).psi;
      if (std::isnan(psi) && StopForLostUnit(context_.client, context_.op)) return;
      const double read = psi - run_.atmosphericPressureMb * kPsiPerMillibar;
      point.fullScalePsi = context_.unit.gaugeFullScaleBar * kPsiPerBar;
      point.accuracyPercent = accuracy;
      point.appliedText = pressure.appliedText;
      point.readPsi = read;
      point.done = true;
      const double applied = LeadingDouble(point.appliedText);
      const double error = std::fabs(applied - read) / point.fullScalePsi * 100.0;
      std::string line = Format("         Applied %7.3f  Read %7.3f  Error %5.3f%% FS", applied, read, error);
      // A reading that is not a number fails: it is never within the accuracy.
      if (error <= point.accuracyPercent) {
        summary += line + "  PASS\r\n";
        break;
      }
      line += "  FAIL\r\n";
      const BoxAnswer answer = context_.op.ShowMessage(
          DialogBox(line, "Confirm result", BoxButtons::AbortRetryIgnore, BoxIcon::Question, 1));
      if (answer == BoxAnswer::Retry) continue;
      if (answer != BoxAnswer::Ignore) return;
      passed = false;
      summary += line;
      break;
    }
  }
  summary += passed ? "Overall result  PASS" : "Overall result  FAIL";
  std::copy(std::begin(points), std::end(points), run_.pressurePoints);
  run_.checkPassed = passed;
  run_.checkRun = true;
  Box(summary, "Results");
  commandSucceeded = passed;
}

void StrainGaugeCalDialog::OnExit() { view_->EndDialog(); }

}  // namespace endcap
