#pragma once
// The spreadsheet application that turns a calibration sheet into a certificate, as the
// station drives it: the few members of its automation interface that the certificate launch
// calls, in that launch's order. Each call waits for the application's answer.

#include <string>

namespace endcap {

class SpreadsheetAutomation {
public:
  virtual ~SpreadsheetAutomation() = default;
  // Starts the application or attaches to a running one; false when it cannot be had.
  virtual bool Start() = 0;
  // Workbooks.Open of the file at path.
  virtual bool OpenWorkbook(const std::string& path) = 0;
  // RunAutoMacros on the opened workbook: runs its start-up macro and returns when it ends.
  virtual bool RunAutoMacros() = 0;
  // ExportAsFixedFormat of the opened workbook as a PDF file at path; a failed export leaves
  // whatever was at path as it was.
  virtual bool ExportPdf(const std::string& path) = 0;
  virtual bool SetVisible(bool visible) = 0;
  // Hands the application to the user, so that it stays when the automation lets go of it.
  virtual bool SetUserControl(bool userControl) = 0;
  // Workbook.Saved of the opened workbook: false when it holds changes that are not saved, such
  // as the certificate its start-up macro made.
  virtual bool WorkbookSaved(bool& saved) = 0;
  // Workbooks.Close: closes the workbooks opened through this automation.
  virtual bool CloseWorkbooks() = 0;
  virtual bool Quit() = 0;
  // Lets go of the application; safe after any failure and when nothing was started.
  virtual void Release() = 0;
  // Why the last call failed, in the application's words.
  virtual std::string LastError() const = 0;
};

}  // namespace endcap
