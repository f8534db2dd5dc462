#pragma once
// "Calibration": calibrates the two-axis inclinometer on the tilting fixture (raw counts at
// four rotations level and four tilted, offsets and gains written to the unit) and checks it
// against reference angles at nine positions. The results go into the caller's run, for the
// record file, which the Calibrate command writes once the dialog has closed.

#include <string>

#include "procedures/dialog_fields.h"
#include "procedures/procedure_context.h"
#include "unit/procedure_runs.h"

namespace endcap {

class InclinometerCalDialog {
public:
  // The run outlives the dialog.
  InclinometerCalDialog(const ProcedureContext& context, InclinometerRun& run)
      : context_(context), run_(run) {}

  void Attach(DialogFieldsView& view) { view_ = &view; }
  // Samples and warm-up as the unit last reported them.
  void OnInitDialog();
  bool OnCommand(int id);
  static bool HasCommand(int id);

  void OnCalibrate();
  void OnConfirmCalibration();
  void OnReadInclinometer();
  void OnSetSamplesAndWarmUp();
  void OnExit();

  // Data exchange: true reads the window's fields into the members, false shows the members.
  void UpdateData(bool save);

  std::string pitchText;
  std::string rollText;
  int32_t samples = 0;
  std::string warmUpText;

  // Whether the last command ran to its end and passed: a calibration that passed, a check
  // whose every position passed, a reading that came, settings the unit took.
  bool commandSucceeded = false;

  const InclinometerRun& run() const { return run_; }

private:
  // Stopped: the operator aborted, or the unit has gone.
  enum class PositionEnd { Passed, Ignored, Stopped };
  // One position of the check: the prompt box, a reading stored in place, its result line
  // (with "  PASS\r\n" or "  FAIL\r\n") and, on a fail, Abort, Retry or Ignore.
  template <class Judge, class Line>
  PositionEnd RunPosition(const std::string& prompt, CheckReading& stored, Judge judge, Line line, std::string& result);
  // The four positions of one check angle into set; false when the check stopped.
  bool RunCheckSet(CheckSet& set, const char* approach, double approxDeg, std::string& summary, bool& allPassed);
  // A raw reading into the slot; false when it stopped the calibration for a lost unit.
  bool MeasureSlot(int slot);
  // Steps 2-3 of Set samples and warm up: the members into the unit's copy and the unit.
  bool WriteSamplesAndWarmUp();
  void Box(const std::string& text);
  bool BenchStep(const std::string& text);

  ProcedureContext context_;
  InclinometerRun& run_;
  DialogFieldsView* view_ = nullptr;
};

}  // namespace endcap
