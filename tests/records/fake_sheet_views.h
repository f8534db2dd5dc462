#pragma once
// The calibration sheet and certificate prompt windows without a display: each remembers what
// it was told; the sheet's prompt is answered with the button the test chose.

#include <string>
#include <vector>

#include "records/cal_sheet_dialog.h"
#include "records/certificate_prompt_dialog.h"
#include "resources/record_control_ids.h"

namespace endcap::testing {

class FakeCertificatePromptView : public CertificatePromptView {
public:
  void SetTemplateText(const std::string& text) override { templateText = text; }
  void SetWaitCursor(bool shown) override { waitCursor.push_back(shown); }
  void EndDialog() override { ++ended; }

  std::string templateText;
  std::vector<bool> waitCursor;
  int ended = 0;
};

class FakeCalSheetView : public CalSheetView {
public:
  void SetSerialText(const std::string& text) override { serial = text; }
  std::string SerialText() const override { return serial; }
  void SetWaitCursor(bool shown) override { waitCursor.push_back(shown); }
  void RunCertificatePrompt(CertificatePromptDialog& prompt) override {
    FakeCertificatePromptView view;
    prompt.Attach(view);
    prompt.OnInitDialog();
    prompts.push_back(view.templateText);
    prompt.OnCommand(promptAnswer);
    promptsEnded += view.ended;
  }
  void EndDialog() override { ++ended; }

  std::string serial;
  std::vector<bool> waitCursor;
  int promptAnswer = ctl::certificate::kNo;
  std::vector<std::string> prompts;  // the template text of each prompt shown
  int promptsEnded = 0;
  int ended = 0;
};

}  // namespace endcap::testing
