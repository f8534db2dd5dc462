#pragma once
// Windows for the console logic without a display: each remembers what it was told and
// answers as its Qt counterpart does (a selected item's text is the combo box's text).

#include <functional>
#include <map>
#include <string>
#include <vector>

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
  void RunCalSheetDialog(CalSheetDialog& dialog) override {
    if (onCalSheet) onCalSheet(dialog);
  }

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
  std::function<void(CalSheetDialog&)> onCalSheet;  // what the operator does in the sheet dialog
};

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
