#pragma once
// A QDialog laid out from one of the station's dialog templates: the template's font, its
// size and every control at its place, converted from dialog units by the font's metrics;
// each control's object name is its id. A caption bar without system menu, close, minimise or
// maximise box; a close request that reaches the window all the same (a window manager may
// offer one in its own menu) is the Cancel ending, as Escape is. The dialog is at least as
// wide as its whole caption in the title bar's font, as the caption is often the only label
// of the question (the text entry); a wider dialog keeps its controls centred.
//
// A window whose buttons' handlers run on the command worker (ServeFrom) is busy while one
// runs: its buttons are disabled, its cursor is the wait cursor, and a click, Enter, Escape or
// close request that reaches it meanwhile is dropped.

#include <QDialog>
#include <QPointer>
#include <QSize>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "console/dialog_units.h"
#include "console/qt/command_queue.h"
#include "console/qt/window_thread.h"
#include "resources/dialog_templates.h"

class QEvent;
class QKeyEvent;

namespace endcap {

class TemplateDialog : public QDialog {
public:
  TemplateDialog(const resources::DialogTemplate& layout, QWidget* parent);

  QWidget* control(int id) const;
  template <class Widget>
  Widget* controlAs(int id) const {
    return static_cast<Widget*>(control(id));
  }
  DialogBaseUnits baseUnits() const { return base_; }
  // The template's own size in pixels; the dialog may be wider for its caption.
  QSize templateSize() const { return templateSize_; }

  // From now on the buttons' handlers are handed to handlers, whose thread runs them.
  void ServeFrom(std::shared_ptr<CommandQueue> handlers) { handlers_ = std::move(handlers); }
  // Runs a button's handler: handed over, the window busy until it has run, when the window is
  // served; at once otherwise. Dropped while the window is busy.
  void Handle(std::function<void()> handler);
  bool busy() const { return busy_; }
  void SetBusy(bool busy);
  // From any thread: the window is no longer busy once its thread takes this up.
  void PostNotBusy();

  // The operator's OK and Cancel endings; refused while busy.
  void accept() override;
  void reject() override;

protected:
  // The standard dialog keys of a template without a default button: Enter presses the button
  // that has the focus, elsewhere it is the OK ending; Escape is the Cancel ending.
  void keyPressEvent(QKeyEvent* event) override;
  // Widens the dialog when its caption changes.
  void changeEvent(QEvent* event) override;

private:
  void FitCaption();

  DialogBaseUnits base_;
  QSize templateSize_;
  int controlsShift_ = 0;  // how far the controls are moved right to stay centred
  std::map<int, QWidget*> controls_;
  std::vector<QWidget*> labels_;  // controls without an id: they move with the others
  std::shared_ptr<CommandQueue> handlers_;
  bool busy_ = false;
  QPointer<QWidget> focusBeforeBusy_;  // the focus comes back to it once the window is free
};

// Runs a procedure dialog's window over parent until it ends. From the command worker the
// window lives on the window's thread and its buttons' handlers run on the worker, so that
// every window stays drawn while a handler waits for the unit; on the window's thread the
// window runs modally there.
template <class Window, class Logic>
void RunDialogWindow(Logic& logic, QWidget* parent) {
  if (OnTheWindowsThread()) {
    Window window(logic, parent);
    window.exec();
    return;
  }
  const auto handlers = std::make_shared<CommandQueue>();
  std::unique_ptr<Window> window;
  OnWindowThread([&] {
    window = std::make_unique<Window>(logic, parent);
    window->ServeFrom(handlers);
    QObject::connect(window.get(), &QDialog::finished, window.get(), [handlers] { handlers->Close(); });
    window->open();
  });
  TemplateDialog* const shown = window.get();
  handlers->Serve([shown] { shown->PostNotBusy(); });
  OnWindowThread([&] { window.reset(); });
}

// The dialog base units of a font: average character width and line height in pixels.
DialogBaseUnits BaseUnitsOf(const QFont& font);

// The width a title bar needs to show caption whole: the text in the title bar's font, enlarged
// for the window manager's own, and room for the window's icons and the frame's ends.
int CaptionWidth(const QString& caption);

}  // namespace endcap
