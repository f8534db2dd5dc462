#include "console/qt/qt_operator.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

#include "console/display_text.h"
#include "console/qt/port_chooser_window.h"
#include "console/qt/template_dialog.h"
#include "console/qt/text_entry_window.h"
#include "console/qt/window_thread.h"
#include "serial/close_on_signal.h"

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

// A message box sizes itself to its text alone, and a window manager then cuts a longer
// caption short in the title bar; a caption is often the only heading a box has, so the box is
// kept at least as wide as the title bar needs, by a spacer in its own layout (it ignores a
// minimum width set on it).
void FitCaption(QMessageBox& box) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (!grid) return;
  grid->addItem(new QSpacerItem(CaptionWidth(box.windowTitle()), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                grid->rowCount(), 0, 1, grid->columnCount());
}

}  // namespace

QWidget* QtOperator::Owner() const {
  QWidget* modal = QApplication::activeModalWidget();
  for (QWidget* w = modal ? modal->parentWidget() : nullptr; w; w = w->parentWidget())
    if (w == mainWindow_) return modal;
  return mainWindow_.data();
}

BoxAnswer QtOperator::ShowMessage(const MessageBox& box) {
  return OnWindowThread([&] {
    // After a stop signal the event loops have been told to end: no box could be answered.
    if (NotedStopSignal()) return SafeAnswer(box.buttons);
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
    FitCaption(message);
    message.exec();
    if (NotedStopSignal()) return SafeAnswer(box.buttons);
    for (size_t i = 0; i < buttons.size(); ++i)
      if (message.clickedButton() == buttons[i]) return choices[i].answer;
    // Closed by the window manager rather than by a button: the default button's answer.
    return choices[defaultIndex].answer;
  });
}

std::string QtOperator::PromptText(const std::string& caption, const std::string& defaultText) {
  return OnWindowThread([&] {
    if (NotedStopSignal()) return defaultText;
    return RunTextEntry(caption, defaultText, Owner());
  });
}

uint8_t QtOperator::ChoosePort() {
  return OnWindowThread([this] { return RunPortChooser(ports_, mainWindow_.data()); });
}

std::string QtOperator::ChooseOpenFile(const std::string& folder, const std::vector<FileFilter>& filters) {
  return OnWindowThread([&]() -> std::string {
    // A start folder that does not exist here starts where Qt would.
    const QString start = QString::fromStdString(drives_.Resolve(folder));
    QFileDialog dialog(mainWindow_.data(), QString(), QDir(start).exists() ? start : QString());
    if (mainWindow_) dialog.setWindowModality(Qt::WindowModal);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Qt reads each filter's patterns from the parentheses that its description carries.
    QStringList names;
    for (const FileFilter& filter : filters) names << QString::fromStdString(filter.description);
    dialog.setNameFilters(names);
    if (!names.isEmpty()) dialog.selectNameFilter(names.front());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front().toStdString();
  });
}

}  // namespace endcap
