#include "console/qt/calibration_windows.h"

#include <QLineEdit>
#include <QPushButton>

#include "resources/calibration_templates.h"

namespace endcap {

FieldsWindow::FieldsWindow(const resources::DialogTemplate& layout, QWidget* parent) : TemplateDialog(layout, parent) {}

void FieldsWindow::SetFieldText(int id, const std::string& text) {
  OnWindowThread([&] {
    if (auto* edit = controlAs<QLineEdit>(id)) edit->setText(QString::fromStdString(text));
  });
}

std::string FieldsWindow::FieldText(int id) const {
  return OnWindowThread([&] {
    const auto* edit = controlAs<QLineEdit>(id);
    return edit ? edit->text().toStdString() : std::string();
  });
}

void FieldsWindow::EndDialog() {
  OnWindowThread([this] { done(QDialog::Accepted); });
}

template <class Logic>
void FieldsWindow::ConnectCommands(const resources::DialogTemplate& layout, Logic& logic) {
  for (size_t i = 0; i < layout.controlCount; ++i) {
    const int id = layout.controls[i].id;
    auto* button = qobject_cast<QPushButton*>(control(id));
    if (button && Logic::HasCommand(id))
      connect(button, &QPushButton::clicked, this, [this, &logic, id] { Handle([&logic, id] { logic.OnCommand(id); }); });
  }
}

InclinometerCalWindow::InclinometerCalWindow(InclinometerCalDialog& dialog, QWidget* parent)
    : FieldsWindow(resources::kInclinometerCalDialog, parent) {
  ConnectCommands(resources::kInclinometerCalDialog, dialog);
  dialog.Attach(*this);
  dialog.OnInitDialog();
}

StrainGaugeCalWindow::StrainGaugeCalWindow(StrainGaugeCalDialog& dialog, QWidget* parent)
    : FieldsWindow(resources::kStrainGaugeCalDialog, parent) {
  ConnectCommands(resources::kStrainGaugeCalDialog, dialog);
  dialog.Attach(*this);
  dialog.OnInitDialog();
}

void StrainGaugeCalWindow::RunPressureSetDialog(PressureSetDialog& dialog) {
  RunDialogWindow<PressureSetWindow>(dialog, this);
}

PressureSetWindow::PressureSetWindow(PressureSetDialog& dialog, QWidget* parent)
    : FieldsWindow(resources::kPressureSetDialog, parent) {
  ConnectCommands(resources::kPressureSetDialog, dialog);
  dialog.Attach(*this);
  dialog.OnInitDialog();
  // The suggestion is selected, as a dialog's first edit is, so that typing replaces it.
  if (auto* edit = controlAs<QLineEdit>(ctl::pressure::kPressure)) edit->selectAll();
}


}  // namespace endcap
