#include "console/qt/qt_operator.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

#include "console/display_text.h"
#include "console/qt/port_chooser_window.h"
#include "console/qt/text_entry_window.h"

namespace endcap {

namespace {

struct ButtonChoice {
  QMessageBox::StandardButton button;
  BoxAnswer answer;
};

std::vector<ButtonChoice> ButtonsOf(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::Ok:
      return {{QMessageBox::Ok, BoxAnswer::Ok}};
    case BoxButtons::YesNo:
      return {{QMessageBox::Yes, BoxAnswer::Yes}, {QMessageBox::No, BoxAnswer::No}};
    case BoxButtons::AbortRetryIgnore:
      return {{QMessageBox::Abort, BoxAnswer::Abort},
              {QMessageBox::Retry, BoxAnswer::Retry},
              {QMessageBox::Ignore, BoxAnswer::Ignore}};
  }
  return {};
}

}  // namespace

QWidget* QtOperator::Owner() const {
  QWidget* modal = QApplication::activeModalWidget();
  return modal ? modal : mainWindow_.data();
}

BoxAnswer QtOperator::ShowMessage(const MessageBox& box) {
  QWidget* owner = box.owner == BoxOwner::Window ? Owner() : nullptr;
  QMessageBox message(owner);
  // An owned box blocks its window only, as the station's dialogs do (see TemplateDialog).
  if (owner) message.setWindowModality(Qt::WindowModal);
  message.setWindowTitle(QString::fromStdString(box.caption.empty() ? kDefaultCaption : box.caption));
  message.setTextFormat(Qt::PlainText);
  message.setText(QString::fromStdString(ToDisplayText(box.text)));
  message.setIcon(box.icon == BoxIcon::Warning    ? QMessageBox::Warning
                  : box.icon == BoxIcon::Question ? QMessageBox::Question
                                                  : QMessageBox::NoIcon);
  const std::vector<ButtonChoice> choices = ButtonsOf(box.buttons);
  std::vector<QPushButton*> buttons;
  for (const ButtonChoice& choice : choices) buttons.push_back(message.addButton(choice.button));
  const size_t defaultIndex = box.defaultButton >= 0 && static_cast<size_t>(box.defaultButton) < buttons.size()
                                  ? static_cast<size_t>(box.defaultButton)
                                  : 0;
  message.setDefaultButton(buttons[defaultIndex]);
  message.exec();
  for (size_t i = 0; i < buttons.size(); ++i)
    if (message.clickedButton() == buttons[i]) return choices[i].answer;
  // Closed by the window manager rather than by a button: the default button's answer.
  return choices[defaultIndex].answer;
}

std::string QtOperator::PromptText(const std::string& caption, const std::string& defaultText) {
  return RunTextEntry(caption, defaultText, Owner());
}

uint8_t QtOperator::ChoosePort() { return RunPortChooser(ports_, mainWindow_.data()); }

QtBusyIndicator::~QtBusyIndicator() {
  if (depth_ > 0) QGuiApplication::restoreOverrideCursor();
}

void QtBusyIndicator::Begin() {
  if (depth_++ == 0) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtBusyIndicator::End() {
  if (depth_ == 0) return;
  if (--depth_ == 0) QGuiApplication::restoreOverrideCursor();
}

}  // namespace endcap
