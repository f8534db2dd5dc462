#pragma once
// The main window as a terminal command sees it: no buttons or title to show, a status pane
// whose text the command prints at its end, and a sensor list whose choice the command line
// makes.

#include <functional>
#include <string>
#include <vector>

#include "console/main_dialog.h"

namespace endcap {

class TextView : public MainView {
public:
  void SetTitle(const std::string&) override {}
  void ShowControl(int, bool) override {}
  void SetPaneText(const std::string& text) override { pane_ = text; }
  std::string PaneText() const override { return pane_; }
  void SetSensorItems(const std::vector<std::string>& items) override {
    items_ = items;
    sensorText_.clear();
  }
  void SelectSensorItem(int index) override { sensorText_ = items_.at(static_cast<size_t>(index)); }
  void SetSensorEditText(const std::string& text) override { sensorText_ = text; }
  std::string SensorText() const override { return sensorText_; }
  void EndDialog(int) override {}
  void RunCalSheetDialog(CalSheetDialog& dialog) override {
    if (calSheet) calSheet(dialog);
  }

  // How the command that presses the calibration sheet button runs its dialog.
  std::function<void(CalSheetDialog&)> calSheet;

  const std::vector<std::string>& sensorItems() const { return items_; }

private:
  std::string pane_;
  std::vector<std::string> items_;
  std::string sensorText_;
};

}  // namespace endcap
