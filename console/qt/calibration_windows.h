#pragma once
// The calibration dialogs' windows: thin views over the procedures' logic. Each is a
// window-modal child of the window that opens it, so that the simulated bench, a window of its
// own, stays usable while a procedure waits for the operator at the fixture or the tester.

#include <string>

#include "console/qt/template_dialog.h"
#include "procedures/inclinometer_cal_dialog.h"
#include "procedures/pressure_set_dialog.h"
#include "procedures/strain_gauge_cal_dialog.h"

namespace endcap {

// A template dialog whose edits the logic reads and writes by control id (from the command
// worker too), whose buttons run the logic's commands, and whose OK ending the logic calls.
class FieldsWindow : public TemplateDialog, public virtual DialogFieldsView {
public:
  FieldsWindow(const resources::DialogTemplate& layout, QWidget* parent);

  void SetFieldText(int id, const std::string& text) override;
  std::string FieldText(int id) const override;
  void EndDialog() override;

protected:
  // Every button of the template for which hasCommand is true runs onCommand with its id.
  template <class Logic>
  void ConnectCommands(const resources::DialogTemplate& layout, Logic& logic);
};

class InclinometerCalWindow : public FieldsWindow {
public:
  // Attaches itself to dialog and shows its first values.
  InclinometerCalWindow(InclinometerCalDialog& dialog, QWidget* parent);
};

class StrainGaugeCalWindow : public FieldsWindow, public StrainGaugeCalView {
public:
  StrainGaugeCalWindow(StrainGaugeCalDialog& dialog, QWidget* parent);
  void RunPressureSetDialog(PressureSetDialog& dialog) override;
};

class PressureSetWindow : public FieldsWindow {
public:
  PressureSetWindow(PressureSetDialog& dialog, QWidget* parent);
};

}  // namespace endcap
