#pragma once
// The calibration sheet (template 135) and the certificate prompt (template 133) as windows
// over their logic. Both are window-modal over the window that opens them.

#include "console/qt/template_dialog.h"
#include "records/cal_sheet_dialog.h"
#include "records/certificate_prompt_dialog.h"

class QLabel;
class QLineEdit;

namespace endcap {

class CertificatePromptWindow : public TemplateDialog, public CertificatePromptView {
public:
  CertificatePromptWindow(CertificatePromptDialog& logic, QWidget* parent);

  void SetTemplateText(const std::string& text) override;
  void SetWaitCursor(bool shown) override;
  void EndDialog() override;

private:
  CertificatePromptDialog& logic_;
  QLabel* templateText_;
  bool waiting_ = false;
};

class CalSheetWindow : public TemplateDialog, public CalSheetView {
public:
  CalSheetWindow(CalSheetDialog& logic, QWidget* parent);

  void SetSerialText(const std::string& text) override;
  std::string SerialText() const override;
  void SetWaitCursor(bool shown) override;
  void RunCertificatePrompt(CertificatePromptDialog& prompt) override;
  void EndDialog() override;

private:
  CalSheetDialog& logic_;
  QLineEdit* serial_;
};

}  // namespace endcap
