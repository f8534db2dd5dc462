#pragma once
// "Strain gauge calibrate": calibrates the strain-gauge depth sensor against the dead-weight
// tester (raw zero and high readings, offset and scale written to the unit) and checks it at
// six points of its range. The results go into the caller's run, for the record file, which the
// Calibrate command writes once the dialog has closed.

#include <string>

#include "procedures/dialog_fields.h"
#include "procedures/pressure_set_dialog.h"
#include "procedures/procedure_context.h"
#include "unit/procedure_runs.h"

namespace endcap {

class StrainGaugeCalView : public virtual DialogFieldsView {
public:
  // Runs the measurement pressure dialog modally over this one, until it ends.
  virtual void RunPressureSetDialog(PressureSetDialog& dialog) = 0;
};

class StrainGaugeCalDialog {
public:
  // The run outlives the dialog; the bench data it holds from earlier runs is not asked again.
  StrainGaugeCalDialog(const ProcedureContext& context, StrainGaugeRun& run)
      : context_(context), run_(run) {}

  void Attach(StrainGaugeCalView& view) { view_ = &view; }
  // Warm-up, full scale and accuracy as the unit last reported them.
  void OnInitDialog();
  bool OnCommand(int id);
  static bool HasCommand(int id);

  void OnSetAndCalibrate();
  void OnConfirmCalibration();
  void OnSetWarmUp();
  void OnReadPressure();
  void OnExit();

  void UpdateData(bool save);
  // The warm-up, full scale and accuracy fields into the unit's copy and the unit; true when
  // the unit took both writes.
  bool WriteGaugeSettings();

  std::string fullScaleText;
  std::string accuracyText;
  std::string warmUpText;
  std::string pressureText;

  // Whether the last command ran to its end and passed: a calibration that passed, a check
  // whose overall result is PASS, a reading that came, settings the unit took.
  bool commandSucceeded = false;

  const StrainGaugeRun& run() const { return run_; }

private:
  // "The pressure sensor full scale pressure is %.1f BAR": true when the operator says Yes.
  bool ConfirmFullScale();
  // The applied pressure that the operator accepted in the pressure dialog; false when the
  // operator abandoned it.
  bool AskPressure(PressureSetDialog& dialog, int percent);
  void Box(const std::string& text, const std::string& caption);
  // A raw pressure reading of the calibration; stopped when it stopped the calibration for a
  // lost unit.
  double MeasureRaw(bool& stopped);
  int FullScalePsi() const;

  ProcedureContext context_;
  StrainGaugeRun& run_;
  StrainGaugeCalView* view_ = nullptr;
};

}  // namespace endcap
