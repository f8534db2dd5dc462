#include "records/certificate_prompt_dialog.h"

#include "resources/record_control_ids.h"

namespace endcap {

// The launch in its order; each step names what the operator is told when it fails.
struct LaunchStep {
  bool (*run)(SpreadsheetAutomation& spreadsheet, const std::string& path);
  const char* failure;
};

namespace {

// Up to the certificate made by the template's start-up macro.
constexpr LaunchStep kMacroSteps[] = {
    {[](SpreadsheetAutomation& s, const std::string& path) { return s.OpenWorkbook(path); },
     "Excel could not open the certificate template"},
    {[](SpreadsheetAutomation& s, const std::string&) { return s.RunAutoMacros(); },
     "The certificate template's start-up macro failed"},
};
// The certificate shown and handed to the user.
constexpr LaunchStep kShowSteps[] = {
    {[](SpreadsheetAutomation& s, const std::string&) { return s.SetVisible(true); }, "Excel could not be shown"},
    {[](SpreadsheetAutomation& s, const std::string&) { return s.SetUserControl(true); },
     "Excel could not be handed to the user"},
};
// The template closed again, once nothing in it is left unsaved.
constexpr LaunchStep kCloseSteps[] = {
    {[](SpreadsheetAutomation& s, const std::string&) { return s.CloseWorkbooks(); },
     "Excel could not close the certificate template"},
    {[](SpreadsheetAutomation& s, const std::string&) { return s.Quit(); }, "Excel could not be closed"},
};

}  // namespace

MessageBox CertificateBox(const std::string& text) {
  return {text, kApplicationName, BoxButtons::Ok, BoxIcon::None, 0, BoxOwner::Window};
}

void CertificatePromptDialog::OnInitDialog() {
  if (view_) view_->SetTemplateText(templateFileName + " stored in " + templateFolder);
}

bool CertificatePromptDialog::OnCommand(int id) {
  if (id == ctl::certificate::kYes) LaunchCertificate();
  else if (id == ctl::certificate::kNo) OnNo();
  else return false;
  return true;
}

void CertificatePromptDialog::LaunchCertificate() {
  const std::string path = templateFolder + templateFileName;
  WaitCursor(true);
  if (!spreadsheet_.Start())
    Tell(WithReason("Couldn't start Excel."));
  else if (RunSteps(kMacroSteps, path))
    HandOver(path);
  End();
  spreadsheet_.Release();
  WaitCursor(false);
}

void CertificatePromptDialog::HandOver(const std::string& path) {
  KeepPdf();
  if (!RunSteps(kShowSteps, path)) return;
  bool saved = false;
  // Closing a workbook with changes would throw away the certificate the macro made.
  if (!spreadsheet_.WorkbookSaved(saved))
    Tell(WithReason("Excel could not tell whether the certificate was saved\r\n" + path));
  else if (!saved)
    Tell("The certificate is open in Excel, not saved: review, save or print it there\r\n" + path);
  else
    RunSteps(kCloseSteps, path);
}

void CertificatePromptDialog::KeepPdf() {
  if (pdfFileName.empty()) return;
  const std::string pdf = templateFolder + pdfFileName;
  // The archive copy is an extra: without it the certificate goes on as before.
  if (spreadsheet_.ExportPdf(pdf))
    Tell("The certificate is kept as PDF in\r\n" + pdf);
  else
    Tell(WithReason("The certificate could not be kept as PDF\r\n" + pdf));
  WaitCursor(true);
}

template <size_t N>
bool CertificatePromptDialog::RunSteps(const LaunchStep (&steps)[N], const std::string& path) {
  for (const LaunchStep& step : steps) {
    if (step.run(spreadsheet_, path)) continue;
    Tell(WithReason(std::string(step.failure) + "\r\n" + path));
    return false;
  }
  return true;
}

std::string CertificatePromptDialog::WithReason(const std::string& text) const {
  const std::string reason = spreadsheet_.LastError();
  return reason.empty() ? text : text + "\r\n" + reason;
}

void CertificatePromptDialog::Tell(const std::string& text) {
  WaitCursor(false);
  op_.ShowMessage(CertificateBox(text));
}

void CertificatePromptDialog::WaitCursor(bool shown) {
  if (view_) view_->SetWaitCursor(shown);
}

void CertificatePromptDialog::OnNo() { End(); }

void CertificatePromptDialog::End() {
  if (view_) view_->EndDialog();
}

}  // namespace endcap
