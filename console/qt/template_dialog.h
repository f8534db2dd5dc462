#pragma once
// A QDialog laid out from one of the station's dialog templates: the template's font, its
// size and every control at its place, converted from dialog units by the font's metrics;
// each control's object name is its id. A caption bar without system menu or close box.

#include <QDialog>
#include <map>

#include "console/dialog_units.h"
#include "resources/dialog_templates.h"

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

protected:
  // The standard dialog keys of a template without a default button: Enter presses the button
  // that has the focus, elsewhere it is the OK ending; Escape is the Cancel ending.
  void keyPressEvent(QKeyEvent* event) override;

private:
  DialogBaseUnits base_;
  std::map<int, QWidget*> controls_;
};

// The dialog base units of a font: average character width and line height in pixels.
DialogBaseUnits BaseUnitsOf(const QFont& font);

}  // namespace endcap
