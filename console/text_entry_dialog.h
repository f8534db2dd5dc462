#pragma once
// The one-line text entry under a caption, with a default that comes back unless the operator
// presses "Enter".

#include <string>

namespace endcap {

class TextEntryView {
public:
  virtual ~TextEntryView() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetEditText(const std::string& text) = 0;
  virtual std::string EditText() const = 0;
  virtual void EndDialog(int result) = 0;
};

class TextEntryDialog {
public:
  explicit TextEntryDialog(TextEntryView& view) : view_(view) {}

  // The edit shows value, the title is caption.
  void OnInitDialog();
  // "Enter" (also the Enter key): value := the edit's text, then the OK ending.
  void OnEnter();

  std::string value;    // the default on entry, the result on return
  std::string caption;
  std::string editText;

private:
  TextEntryView& view_;
};

}  // namespace endcap
