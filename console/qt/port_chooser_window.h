#pragma once
// The port chooser, template 136. ChoosePort builds one, runs it and takes its port.

#include "console/port_chooser_dialog.h"
#include "console/qt/template_dialog.h"

class QComboBox;

namespace endcap {

class PortChooserWindow : public TemplateDialog, public PortChooserView {
public:
  PortChooserWindow(PortProvider& ports, QWidget* parent);

  PortChooserDialog& logic() { return logic_; }

  void SetPortItems(const std::vector<std::string>& items) override;
  void SelectPortItem(int index) override;
  std::string PortText() const override;
  void EndDialog(int result) override;

private:
  PortChooserDialog logic_;
  QComboBox* list_;
};

// Runs the chooser modally; 0 when no port was chosen, however it ended.
uint8_t RunPortChooser(PortProvider& ports, QWidget* parent);

}  // namespace endcap
