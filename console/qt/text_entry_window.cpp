#include "console/qt/text_entry_window.h"

#include <QLineEdit>
#include <QPushButton>

#include "resources/control_ids.h"

namespace endcap {

TextEntryWindow::TextEntryWindow(QWidget* parent)
    : TemplateDialog(resources::kTextEntryDialog, parent), logic_(*this), edit_(controlAs<QLineEdit>(ctl::kEntryText)) {
  connect(controlAs<QPushButton>(ctl::kEnterText), &QPushButton::clicked, this, [this] { logic_.OnEnter(); });
}

void TextEntryWindow::SetCaption(const std::string& caption) { setWindowTitle(QString::fromStdString(caption)); }

void TextEntryWindow::SetEditText(const std::string& text) {
  edit_->setText(QString::fromStdString(text));
  // Selected, as a dialog's first edit is, so that typing replaces the default.
  edit_->selectAll();
}

std::string TextEntryWindow::EditText() const { return edit_->text().toStdString(); }

void TextEntryWindow::EndDialog(int result) { done(result == ctl::kOk ? QDialog::Accepted : QDialog::Rejected); }

std::string RunTextEntry(const std::string& caption, const std::string& defaultText, QWidget* parent) {
  TextEntryWindow window(parent);
  window.logic().value = defaultText;
  window.logic().caption = caption;
  window.Start();
  window.exec();
  return window.logic().value;
}

}  // namespace endcap
