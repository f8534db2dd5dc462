#include "console/qt/template_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

namespace endcap {

using resources::ControlKind;

DialogBaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  return {AverageCharWidth(metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")),
          metrics.height()};
}

int CaptionWidth(const QString& caption) {
  // Window managers draw their titles in fonts of their own, commonly bold and larger than the
  // toolkit's title bar font (12 points against 9), with an icon or two before the text.
  constexpr double kWindowManagerFontScale = 1.4;
  constexpr int kTitleBarIcons = 3;
  QFont font = QApplication::font("QMdiSubWindowTitleBar");
  font.setBold(true);
  if (font.pointSizeF() > 0)
    font.setPointSizeF(font.pointSizeF() * kWindowManagerFontScale);
  else
    font.setPixelSize(static_cast<int>(font.pixelSize() * kWindowManagerFontScale));
  const int titleBarHeight = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
  return QFontMetrics(font).horizontalAdvance(caption) + kTitleBarIcons * titleBarHeight;
}

namespace {

QWidget* MakeControl(const resources::ControlTemplate& c, QWidget* parent) {
  switch (c.kind) {
    case ControlKind::StatusPane: {
      auto* pane = new QPlainTextEdit(parent);
      pane->setFrameShape(QFrame::Box);
      // The pane shows what the commands found; a typed note there would read as the unit's.
      pane->setReadOnly(true);
      return pane;
    }
    case ControlKind::ProgressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setTextVisible(false);
      bar->setValue(0);
      return bar;
    }
    case ControlKind::Button:
    case ControlKind::DefaultButton: {
      auto* button = new QPushButton(QString::fromUtf8(c.caption), parent);
      // Only the template's own default button takes the Enter key when it lacks the focus.
      button->setAutoDefault(c.kind == ControlKind::DefaultButton);
      button->setDefault(c.kind == ControlKind::DefaultButton);
      return button;
    }
    case ControlKind::ComboBox: {
      auto* combo = new QComboBox(parent);
      combo->setEditable(true);
      // The edit field is for typing a choice, not for growing the list.
      combo->setInsertPolicy(QComboBox::NoInsert);
      return combo;
    }
    case ControlKind::LineEdit:
      return new QLineEdit(parent);
    case ControlKind::RightLineEdit: {
      auto* edit = new QLineEdit(parent);
      edit->setAlignment(Qt::AlignRight);
      return edit;
    }
    case ControlKind::Label:
      return new QLabel(QString::fromUtf8(c.caption), parent);
  }
  return nullptr;
}

}  // namespace

TemplateDialog::TemplateDialog(const resources::DialogTemplate& layout, QWidget* parent) : QDialog(parent) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  // A dialog over a station window blocks that window only, so that the simulated bench, a
  // window of its own, stays usable while the station waits for the operator.
  if (parent) setWindowModality(Qt::WindowModal);
  QFont font(QString::fromUtf8(layout.fontFamily), layout.fontPointSize);
  font.setStyleHint(QFont::SansSerif);
  setFont(font);
  base_ = BaseUnitsOf(font);
  const PixelRect size = MapDialogRect(0, 0, layout.w, layout.h, base_);
  templateSize_ = QSize(size.w, size.h);
  setFixedSize(templateSize_);
  for (size_t i = 0; i < layout.controlCount; ++i) {
    const resources::ControlTemplate& c = layout.controls[i];
    QWidget* widget = MakeControl(c, this);
    widget->setObjectName(QString::number(c.id));
    const PixelRect r = MapDialogRect(c.x, c.y, c.w, c.h, base_);
    // A combo box's template height includes its dropped list; the closed box is as tall as
    // its font needs.
    const int height = c.kind == ControlKind::ComboBox ? widget->sizeHint().height() : r.h;
    widget->setGeometry(r.x, r.y, r.w, height);
    if (c.id != resources::kStaticId) controls_[c.id] = widget;
    else labels_.push_back(widget);
  }
  setWindowTitle(QString::fromUtf8(layout.caption));
}

void TemplateDialog::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowTitleChange) FitCaption();
  QDialog::changeEvent(event);
}

void TemplateDialog::FitCaption() {
  const int width = std::max(templateSize_.width(), CaptionWidth(windowTitle()));
  const int shift = (width - templateSize_.width()) / 2;
  for (const auto& [id, widget] : controls_) widget->move(widget->x() + shift - controlsShift_, widget->y());
  for (QWidget* label : labels_) label->move(label->x() + shift - controlsShift_, label->y());
  controlsShift_ = shift;
  setFixedSize(width, templateSize_.height());
}

QWidget* TemplateDialog::control(int id) const {
  const auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

void TemplateDialog::Handle(std::function<void()> handler) {
  if (!handlers_) {
    handler();
    return;
  }
  if (!busy_ && handlers_->Offer(std::move(handler))) SetBusy(true);
}

void TemplateDialog::SetBusy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  // A disabled button gives its focus away: Enter would no longer press it afterwards.
  if (busy) focusBeforeBusy_ = focusWidget();
  for (const auto& [id, widget] : controls_)
    if (auto* button = qobject_cast<QPushButton*>(widget)) button->setEnabled(!busy);
  if (busy) {
    setCursor(Qt::WaitCursor);
    return;
  }
  unsetCursor();
  if (focusBeforeBusy_ && focusBeforeBusy_->isVisible() && focusBeforeBusy_->isEnabled()) focusBeforeBusy_->setFocus();
}

void TemplateDialog::PostNotBusy() {
  QMetaObject::invokeMethod(this, [this] { SetBusy(false); }, Qt::QueuedConnection);
}

void TemplateDialog::accept() {
  if (!busy_) QDialog::accept();
}

void TemplateDialog::reject() {
  if (!busy_) QDialog::reject();
}

void TemplateDialog::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  const bool plain = event->modifiers() == Qt::NoModifier ||
                     (event->modifiers() == Qt::KeypadModifier && event->key() == Qt::Key_Enter);
  if (!enter || !plain) {
    QDialog::keyPressEvent(event);
    return;
  }
  for (const auto& [id, widget] : controls_) {
    auto* button = qobject_cast<QPushButton*>(widget);
    if (button && button->isDefault() && button->isVisible()) {
      if (button->isEnabled()) button->click();
      return;
    }
  }
  if (auto* focused = qobject_cast<QPushButton*>(focusWidget()); focused && focused->isVisible()) {
    focused->click();
    return;
  }
  accept();
}

}  // namespace endcap
