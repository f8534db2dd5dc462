#include "records/certificate_prompt_dialog.h"

#include "records/record_control_ids.h"

namespace endcap {

namespace {

// The launch in its order; each step names what the operator is told when it fails.
struct LaunchStep {
  bool (*run)(SpreadsheetAutomation& spreadsheet, const std::string& path);
  const char* failure;
};
constexpr LaunchStep kLaunchSteps[] = {
    {[](SpreadsheetAutomation& s, const std::string& path) { return s.OpenWorkbook(path); },
     "Excel could not open the certificate template"},
    {[](SpreadsheetAutomation& s, const std::string&) { return s.RunAutoMacros(); },
     "The certificate template's start-up macro failed"},
    {[](SpreadsheetAutomation& s, const std::string&) { return s.SetVisible(true); }, "Excel could not be shown"},
    {[](SpreadsheetAutomation& s, const std::string&) { return s.SetUserControl(true); },
     "Excel could not be handed to the user"},
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
  if (!spreadsheet_.Start()) {
    Tell("Couldn't start Excel.");
  } else {
    for (const LaunchStep& step : kLaunchSteps) {
      if (step.run(spreadsheet_, path)) continue;
      const std::string reason = spreadsheet_.LastError();
      Tell(std::string(step.failure) + "\r\n" + path + (reason.empty() ? "" : "\r\n" + reason));
      break;
    }
  }
  End();
  spreadsheet_.Release();
  WaitCursor(false);
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
