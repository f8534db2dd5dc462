#pragma once
// The text entry, template 129. PromptText builds one, runs it and takes its value.

#include "console/qt/template_dialog.h"
#include "console/text_entry_dialog.h"

class QLineEdit;

namespace endcap {

class TextEntryWindow : public TemplateDialog, public TextEntryView {
public:
  // The dialog opens when the caller has set logic().value and logic().caption: call Start.
  explicit TextEntryWindow(QWidget* parent);

  TextEntryDialog& logic() { return logic_; }
  void Start() { logic_.OnInitDialog(); }

  void SetCaption(const std::string& caption) override;
  void SetEditText(const std::string& text) override;
  std::string EditText() const override;
  void EndDialog(int result) override;

private:
  TextEntryDialog logic_;
  QLineEdit* edit_;
};

// Runs the entry modally: the text when the operator pressed "Enter", else the default.
std::string RunTextEntry(const std::string& caption, const std::string& defaultText, QWidget* parent);

}  // namespace endcap
