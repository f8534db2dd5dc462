#pragma once
// Windows for the console logic without a display: each remembers what it was told and
// answers as its Qt counterpart does (a selected item's text is the combo box's text).

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "resources/control_ids.h"
#include "console/main_dialog.h"
#include "console/port_chooser_dialog.h"
#include "console/text_entry_dialog.h"

namespace endcap::testing {

class FakeMainView : public MainView {
public:
  void SetTitle(const std::string& text) override { title = text; }
  void ShowControl(int id, bool shown) override { visible[id] = shown; }
  void SetPaneText(const std::string& text) override { pane = text; }
  std::string PaneText() const override { return pane; }
  void SetSensorItems(const std::vector<std::string>& list) override {
    items = list;
    selected = -1;
    editText.clear();
  }
  void SelectSensorItem(int index) override {
    selected = index;
    editText = items.at(static_cast<size_t>(index));
  }
  void SetSensorEditText(const std::string& text) override {
    selected = -1;
    editText = text;
  }
  std::string SensorText() const override { return editText; }
  void EndDialog(int result) override { ended = result; }
  // The procedure dialogs: counted, then run by the test's hook if there is one.
  void RunInclinometerCalDialog(InclinometerCalDialog& dialog) override {
    ++inclinometerCalRuns;
    if (onInclinometerCal) onInclinometerCal(dialog);
  }
  void RunStrainGaugeCalDialog(StrainGaugeCalDialog& dialog) override {
    ++strainGaugeCalRuns;
    if (onStrainGaugeCal) onStrainGaugeCal(dialog);
  }
  void SetProgressRange(int lower, int upper) override {
    progressLower = lower;
    progressUpper = upper;
  }
  void SetProgressPosition(int position) override { progressPositions.push_back(position); }
  // Presses pcbPresses in order (ctl::kCancel: Esc) until the dialog ends, as a window would.
  void RunPcbTestDialog(PcbTestDialog& dialog) override;
  void RunCalSheetDialog(CalSheetDialog& dialog) override {
    if (onCalSheet) onCalSheet(dialog);
  }
  void ShowCheckChart(const CheckChart& chart) override { charts.push_back(chart); }

  // The ids shown, in id order.
  std::vector<int> Shown() const {
    std::vector<int> ids;
    for (const auto& [id, shown] : visible)
      if (shown) ids.push_back(id);
    return ids;
  }

  std::string title;
  std::map<int, bool> visible;
  std::string pane;
  std::vector<std::string> items;
  int selected = -1;
  std::string editText;
  int ended = 0;
  int inclinometerCalRuns = 0;
  int strainGaugeCalRuns = 0;
  std::function<void(InclinometerCalDialog&)> onInclinometerCal;
  std::function<void(StrainGaugeCalDialog&)> onStrainGaugeCal;
  int progressLower = -1, progressUpper = -1;
  std::vector<int> progressPositions;
  std::vector<CheckChart> charts;
  std::vector<int> pcbPresses;
  int pcbTestRuns = 0;
  PcbTestView::Ending pcbEnding = PcbTestView::Ending::Cancel;
  // Called while the PCB dialog runs, after its last press.
  std::function<void(const PcbTestDialog&)> pcbInspect;
  std::function<void(CalSheetDialog&)> onCalSheet;  // what the operator does in the sheet dialog
};

class FakePcbTestView : public PcbTestView {
public:
  void EndDialog(Ending how) override {
    ended = true;
    ending = how;
  }
  bool ended = false;
  Ending ending = Ending::Cancel;
};

inline void FakeMainView::RunPcbTestDialog(PcbTestDialog& dialog) {
  ++pcbTestRuns;
  FakePcbTestView view;
  dialog.Attach(view);
  dialog.OnInitDialog();
  for (int id : pcbPresses) {
    if (view.ended) break;
    if (id == ctl::kCancel) dialog.OnCancel();
    else dialog.OnCommand(id);
  }
  if (pcbInspect) pcbInspect(dialog);
  pcbEnding = view.ending;
  if (!view.ended) ADD_FAILURE() << "the PCB test dialog was left open";
}

class FakePortChooserView : public PortChooserView {
public:
  void SetPortItems(const std::vector<std::string>& list) override {
    items = list;
    text.clear();
  }
  void SelectPortItem(int index) override { text = items.at(static_cast<size_t>(index)); }
  std::string PortText() const override { return text; }
  void EndDialog(int result) override { ended = result; }

  std::vector<std::string> items;
  std::string text;
  int ended = 0;
};

class FakeTextEntryView : public TextEntryView {
public:
  void SetCaption(const std::string& text) override { caption = text; }
  void SetEditText(const std::string& text) override { edit = text; }
  std::string EditText() const override { return edit; }
  void EndDialog(int result) override { ended = result; }

  std::string caption;
  std::string edit;
  int ended = 0;
};

}  // namespace endcap::testing
