#pragma once
// The main window as a terminal command sees it: no buttons or title to show, a status pane
// whose text the command prints at its end, and a sensor list whose choice the command line
// makes.

#include <functional>
#include <string>
#include <vector>

#include "cli/progress_meter.h"
#include "resources/control_ids.h"
#include "console/main_dialog.h"

namespace endcap {

class TextView : public MainView {
public:
  void SetTitle(const std::string&) override {}
  void ShowControl(int id, bool shown) override {
    if (id == ctl::kProgressBar && !shown && progress) progress->Finish();
  }
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
  // The procedure dialogs run in the terminal by whichever command opens them.
  void RunInclinometerCalDialog(InclinometerCalDialog& dialog) override {
    if (runInclinometerCal) runInclinometerCal(dialog);
  }
  void RunStrainGaugeCalDialog(StrainGaugeCalDialog& dialog) override {
    if (runStrainGaugeCal) runStrainGaugeCal(dialog);
  }

  std::function<void(InclinometerCalDialog&)> runInclinometerCal;
  std::function<void(StrainGaugeCalDialog&)> runStrainGaugeCal;
  void SetProgressRange(int lower, int upper) override {
    if (progress) progress->SetRange(lower, upper);
  }
  void SetProgressPosition(int position) override {
    if (progress) progress->SetPosition(position);
  }
  void RunPcbTestDialog(PcbTestDialog& dialog) override {
    if (pcbTest) pcbTest(dialog);
  }

  // Where the progress bar is drawn; none: not shown.
  ProgressMeter* progress = nullptr;
  // Runs the PCB test dialog on the terminal; none: the dialog does not open.
  std::function<void(PcbTestDialog&)> pcbTest;
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
