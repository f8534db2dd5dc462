#pragma once
// A QDialog laid out from one of the station's dialog templates: the template's font, its
// size and every control at its place, converted from dialog units by the font's metrics;
// each control's object name is its id. A caption bar without system menu, close, minimise or
// maximise box; a close request that reaches the window all the same (a window manager may
// offer one in its own menu) is the Cancel ending, as Escape is. The dialog is at least as
// wide as its whole caption in the title bar's font, as the caption is often the only label
// of the question (the text entry); a wider dialog keeps its controls centred.

#include <QDialog>
#include <QSize>
#include <map>
#include <vector>

#include "console/dialog_units.h"
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
};

// The dialog base units of a font: average character width and line height in pixels.
DialogBaseUnits BaseUnitsOf(const QFont& font);

// The width a title bar needs to show caption whole: the text in the title bar's font, enlarged
// for the window manager's own, and room for the window's icons and the frame's ends.
int CaptionWidth(const QString& caption);

}  // namespace endcap
