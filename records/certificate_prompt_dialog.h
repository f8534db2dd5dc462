#pragma once
// The offer to launch the spreadsheet certificate after a calibration sheet: "Yes" opens the
// certificate template and runs its start-up macro through the spreadsheet's automation,
// "No" only closes.

#include <string>

#include "operator/operator_interface.h"
#include "records/spreadsheet_automation.h"

namespace endcap {

class CertificatePromptView {
public:
  virtual ~CertificatePromptView() = default;
  // The text of control 1229: which template, in which folder.
  virtual void SetTemplateText(const std::string& text) = 0;
  // The wait cursor while the spreadsheet works (its calls block the station).
  virtual void SetWaitCursor(bool shown) = 0;
  // Closes the prompt (its only ending; the caller takes no result from it).
  virtual void EndDialog() = 0;
};

struct LaunchStep;

class CertificatePromptDialog {
public:
  CertificatePromptDialog(OperatorInterface& op, SpreadsheetAutomation& spreadsheet)
      : op_(op), spreadsheet_(spreadsheet) {}

  void Attach(CertificatePromptView& view) { view_ = &view; }
  // Control 1229 := "<template> stored in <folder>".
  void OnInitDialog();
  // Runs the command of a button (1196 "Yes", 1197 "No"); false when the id has none.
  bool OnCommand(int id);

  // "Yes": start the spreadsheet, open the template, run its start-up macro, keep the
  // certificate as pdfFileName in the template's folder (when named) and say where or why not,
  // show it and give it to the user; then close the workbooks and quit, unless the macro left changes that are
  // not saved: that certificate stays open for the operator, who is told so. "Couldn't start
  // Excel." with the reason when it cannot be started; any later failure is told in one box
  // and the rest is skipped. Always closes.
  void LaunchCertificate();
  // "No": closes without starting anything.
  void OnNo();

  std::string templateFileName;
  std::string templateFolder;  // ends in the path separator
  // The certificate's PDF copy, beside the template; empty: none is made.
  std::string pdfFileName;

private:
  // Runs the steps in order; false after telling the first that failed.
  template <size_t N>
  bool RunSteps(const LaunchStep (&steps)[N], const std::string& path);
  // After the macro: the PDF copy, then the certificate shown, and closed unless it holds changes.
  void HandOver(const std::string& path);
  void KeepPdf();
  // The text, then the spreadsheet's reason for its last failure on a line of its own.
  std::string WithReason(const std::string& text) const;
  void End();
  void Tell(const std::string& text);
  void WaitCursor(bool shown);

  OperatorInterface& op_;
  SpreadsheetAutomation& spreadsheet_;
  CertificatePromptView* view_ = nullptr;
};

// A box of the certificate launch: OK, no icon, the application's name as caption.
MessageBox CertificateBox(const std::string& text);

}  // namespace endcap
