#pragma once
// The PCB test's window, template 131: each button runs its check through PcbTestDialog. Esc is
// the dialog's cancel ending; the dialog ends only through the logic.

#include "console/qt/template_dialog.h"
#include "procedures/pcb_test_dialog.h"

namespace endcap {

class PcbTestWindow : public TemplateDialog, public PcbTestView {
public:
  PcbTestWindow(PcbTestDialog& logic, QWidget* parent);

  void EndDialog(Ending ending) override;

protected:
  // Enter away from every button: the template has no OK button, so nothing happens.
  void accept() override {}
  void reject() override { logic_.OnCancel(); }

private:
  PcbTestDialog& logic_;
};

// Runs the dialog window-modally over parent until the logic ends it.
void RunPcbTestWindow(PcbTestDialog& logic, QWidget* parent);

}  // namespace endcap
