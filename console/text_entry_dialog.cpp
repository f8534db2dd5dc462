#include "console/text_entry_dialog.h"

#include "resources/control_ids.h"

namespace endcap {

void TextEntryDialog::OnInitDialog() {
  editText = value;
  view_.SetCaption(caption);
  view_.SetEditText(editText);
}

void TextEntryDialog::OnEnter() {
  editText = view_.EditText();
  value = editText;
  view_.EndDialog(ctl::kOk);
}

}  // namespace endcap
