#pragma once
// The PCB test's window, template 131: each button runs its check through PcbTestDialog. Esc is
// the dialog's cancel ending, handled as a button is; the dialog ends only through the logic.

#include "console/qt/template_dialog.h"
#include "procedures/pcb_test_dialog.h"

namespace endcap {

class PcbTestWindow : public TemplateDialog, public PcbTestView {
public:
  // Attaches itself to logic and starts it with every result not run.
  PcbTestWindow(PcbTestDialog& logic, QWidget* parent);

  void EndDialog(Ending ending) override;

  // Enter away from every button: the template has no OK button, so nothing happens.
  void accept() override {}
  void reject() override;

private:
  PcbTestDialog& logic_;
};

}  // namespace endcap
