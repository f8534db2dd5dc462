#pragma once
// The PCB production test of a freshly built board (template 131): five checks that may run in
// any order and again, each overwriting its own result, and Exit, which shows the overall
// verdict and stamps (pass) or erases (fail) the factory calibration record in the unit. The
// logic reaches its window only through PcbTestView; its boxes and prompts go through the
// operator interface, and its results are kept in its run.

#include <string>

#include "procedures/procedure_context.h"
#include "resources/pcb_test_control_ids.h"
#include "unit/procedure_runs.h"

namespace endcap {

class PcbTestView {
public:
  enum class Ending { Ok, Cancel };
  virtual ~PcbTestView() = default;
  virtual void EndDialog(Ending ending) = 0;
};

class PcbTestDialog {
public:
  // The context's references outlive the dialog.
  explicit PcbTestDialog(const ProcedureContext& context)
      : context_(context) {}
  PcbTestDialog(const PcbTestDialog&) = delete;
  PcbTestDialog& operator=(const PcbTestDialog&) = delete;

  // The window that runs the dialog; attach before OnInitDialog.
  void Attach(PcbTestView& view) { view_ = &view; }
  // Every result back to not run.
  void OnInitDialog();

  // Runs the handler of a button; false when the id has none.
  bool OnCommand(int id);
  static bool HasCommand(int id);
  // Esc: the cancel ending, with no verdict and the factory record untouched.
  void OnCancel();

  void OnSetSerialNumber();
  void OnCheckSupplyVoltages();
  void OnCheckSupplyCurrent();
  void OnCheckInternalRs485();
  void OnCheckRs485Comms();
  void OnExit();

  PcbTestRun run;
  bool ended() const { return ended_; }

private:
  void Box(const std::string& text);
  // The current the operator reads off the meter, as a number.
  double PromptCurrent(const char* caption);
  void End(PcbTestView::Ending ending);
  // After a step that failed: when the unit has gone, the one box that says so and the end
  // of the test without a verdict.
  bool StopIfUnitLost();

  ProcedureContext context_;
  PcbTestView* view_ = nullptr;
  bool ended_ = false;
};

}  // namespace endcap
