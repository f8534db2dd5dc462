#include "console/qt/pcb_test_window.h"

#include <QPushButton>

#include "resources/pcb_test_template.h"

namespace endcap {

PcbTestWindow::PcbTestWindow(PcbTestDialog& logic, QWidget* parent)
    : TemplateDialog(resources::kPcbTestDialog, parent), logic_(logic) {
  for (const resources::ControlTemplate& c : resources::kPcbTestControls) {
    const int id = c.id;
    connect(controlAs<QPushButton>(id), &QPushButton::clicked, this,
            [this, id] { Handle([this, id] { logic_.OnCommand(id); }); });
  }
  logic_.Attach(*this);
  logic_.OnInitDialog();
}

void PcbTestWindow::EndDialog(Ending ending) {
  OnWindowThread([this, ending] { done(ending == Ending::Ok ? QDialog::Accepted : QDialog::Rejected); });
}

void PcbTestWindow::reject() {
  Handle([this] { logic_.OnCancel(); });
}

}  // namespace endcap
