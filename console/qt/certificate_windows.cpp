#include "console/qt/certificate_windows.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "resources/certificate_templates.h"

namespace endcap {

namespace {

// Every button of a template runs its command through the logic.
template <class Logic>
void ConnectButtons(TemplateDialog& window, const resources::DialogTemplate& layout, Logic& logic) {
  for (size_t i = 0; i < layout.controlCount; ++i) {
    const int id = layout.controls[i].id;
    if (auto* button = qobject_cast<QPushButton*>(window.control(id)))
      QObject::connect(button, &QPushButton::clicked, &window,
                       [&window, &logic, id] { window.Handle([&logic, id] { logic.OnCommand(id); }); });
  }
}

// A text of the toolkit's font may be wider than its place in the template: the label grows
// about its centre, within the dialog, and shows the whole text on hover when even that is
// not enough.
void FitLabel(QLabel& label, int dialogWidth) {
  const int margin = label.fontMetrics().averageCharWidth();
  const int wanted = label.fontMetrics().horizontalAdvance(label.text());
  const QRect place = label.geometry();
  const int width = std::min(dialogWidth - 2 * margin, std::max(place.width(), wanted));
  const int x = std::clamp(place.center().x() - width / 2, margin, dialogWidth - margin - width);
  label.setGeometry(x, place.y(), width, place.height());
  label.setToolTip(wanted > width ? label.text() : QString());
}

}  // namespace

CertificatePromptWindow::CertificatePromptWindow(CertificatePromptDialog& logic, QWidget* parent)
    : TemplateDialog(resources::kCertificatePromptDialog, parent),
      logic_(logic),
      templateText_(controlAs<QLabel>(ctl::certificate::kTemplateText)) {
  ConnectButtons(*this, resources::kCertificatePromptDialog, logic_);
  for (QLabel* label : findChildren<QLabel*>()) FitLabel(*label, width());
  logic_.Attach(*this);
  logic_.OnInitDialog();
}

void CertificatePromptWindow::SetTemplateText(const std::string& text) {
  OnWindowThread([&] {
    templateText_->setText(QString::fromStdString(text));
    FitLabel(*templateText_, width());
  });
}

void CertificatePromptWindow::SetWaitCursor(bool shown) {
  // Over every window of the station while the spreadsheet makes the certificate.
  OnWindowThread([this, shown] {
    if (shown == waiting_) return;
    waiting_ = shown;
    if (shown) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else QGuiApplication::restoreOverrideCursor();
  });
}

void CertificatePromptWindow::EndDialog() {
  OnWindowThread([this] { done(QDialog::Accepted); });
}

CalSheetWindow::CalSheetWindow(CalSheetDialog& logic, QWidget* parent)
    : TemplateDialog(resources::kCalSheetDialog, parent),
      logic_(logic),
      serial_(controlAs<QLineEdit>(ctl::sheet::kSerial)) {
  ConnectButtons(*this, resources::kCalSheetDialog, logic_);
  logic_.Attach(*this);
  logic_.OnInitDialog();
}

void CalSheetWindow::SetSerialText(const std::string& text) {
  OnWindowThread([&] {
    serial_->setText(QString::fromStdString(text));
    serial_->selectAll();
  });
}

std::string CalSheetWindow::SerialText() const {
  return OnWindowThread([this] { return serial_->text().toStdString(); });
}

void CalSheetWindow::SetWaitCursor(bool shown) {
  // A busy window keeps the wait cursor until its handler has ended.
  OnWindowThread([this, shown] {
    if (shown || busy()) setCursor(Qt::WaitCursor);
    else unsetCursor();
  });
}

void CalSheetWindow::RunCertificatePrompt(CertificatePromptDialog& prompt) {
  RunDialogWindow<CertificatePromptWindow>(prompt, this);
}

void CalSheetWindow::EndDialog() {
  OnWindowThread([this] { done(QDialog::Accepted); });
}

}  // namespace endcap
