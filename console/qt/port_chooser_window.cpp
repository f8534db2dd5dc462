#include "console/qt/port_chooser_window.h"

#include <QComboBox>
#include <QPushButton>

#include "resources/control_ids.h"

namespace endcap {

PortChooserWindow::PortChooserWindow(PortProvider& ports, QWidget* parent)
    : TemplateDialog(resources::kPortChooserDialog, parent),
      logic_(ports, *this),
      list_(controlAs<QComboBox>(ctl::kPortList)) {
  connect(controlAs<QPushButton>(ctl::kSelectPort), &QPushButton::clicked, this, [this] { logic_.OnSelect(); });
  logic_.OnInitDialog();
}

void PortChooserWindow::SetPortItems(const std::vector<std::string>& items) {
  list_->clear();
  for (const std::string& item : items) list_->addItem(QString::fromStdString(item));
}

void PortChooserWindow::SelectPortItem(int index) { list_->setCurrentIndex(index); }

std::string PortChooserWindow::PortText() const { return list_->currentText().toStdString(); }

void PortChooserWindow::EndDialog(int result) { done(result == ctl::kOk ? QDialog::Accepted : QDialog::Rejected); }

uint8_t RunPortChooser(PortProvider& ports, QWidget* parent) {
  PortChooserWindow window(ports, parent);
  window.exec();
  return window.logic().port;
}

}  // namespace endcap
