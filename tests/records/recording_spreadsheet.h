#pragma once
// A spreadsheet application for tests: records every call in order and fails the call the
// test names, with a reason.

#include <string>
#include <vector>

#include "records/spreadsheet_automation.h"

namespace endcap::testing {

class RecordingSpreadsheet : public SpreadsheetAutomation {
public:
  bool Start() override { return Call("Start"); }
  bool OpenWorkbook(const std::string& path) override { return Call("OpenWorkbook " + path); }
  bool RunAutoMacros() override { return Call("RunAutoMacros"); }
  bool ExportPdf(const std::string& path) override { return Call("ExportPdf " + path); }
  bool SetVisible(bool visible) override { return Call(std::string("SetVisible ") + (visible ? "true" : "false")); }
  bool SetUserControl(bool userControl) override {
    return Call(std::string("SetUserControl ") + (userControl ? "true" : "false"));
  }
  bool WorkbookSaved(bool& saved) override {
    saved = workbookSaved;
    return Call("WorkbookSaved");
  }
  bool CloseWorkbooks() override { return Call("CloseWorkbooks"); }
  bool Quit() override { return Call("Quit"); }
  void Release() override { calls.push_back("Release"); }
  std::string LastError() const override { return failReason; }

  // The call (its first word) that fails.
  std::string failing;
  std::string failReason = "the application said no";
  bool workbookSaved = true;  // what WorkbookSaved answers
  std::vector<std::string> calls;

private:
  bool Call(const std::string& call) {
    calls.push_back(call);
    return call.substr(0, call.find(' ')) != failing;
  }
};

}  // namespace endcap::testing
