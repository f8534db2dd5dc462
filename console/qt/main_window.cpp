#include "console/qt/main_window.h"

#include <QComboBox>
#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include "resources/control_ids.h"
#include "console/qt/calibration_windows.h"
#include "console/qt/certificate_windows.h"
#include "console/display_text.h"
#include "console/qt/pcb_test_window.h"
#include "resources/station_icon.xpm"

namespace endcap {

namespace {

// The pane keeps its font's size and style and only changes face, as the unit report's
// columns are laid out with tabs for a fixed pitch.
constexpr const char* kPaneFace = "Courier";
constexpr int kTabStopCharacters = 8;

}  // namespace

MainWindow::MainWindow(TesterApp& app, bool factoryButtons)
    : TemplateDialog(resources::kMainDialog, nullptr),
      logic_(app, *this),
      pane_(controlAs<QPlainTextEdit>(ctl::kStatusPane)),
      sensors_(controlAs<QComboBox>(ctl::kSensorList)),
      progress_(controlAs<QProgressBar>(ctl::kProgressBar)) {
  logic_.factoryButtons = factoryButtons;
  setWindowIcon(QIcon(QPixmap(kStationIcon)));
  QFont paneFont = pane_->font();
  paneFont.setFamily(QString::fromUtf8(kPaneFace));
  paneFont.setStyleHint(QFont::TypeWriter);
  pane_->setFont(paneFont);
  pane_->setTabStopDistance(QFontMetricsF(paneFont).horizontalAdvance(QLatin1Char(' ')) * kTabStopCharacters);

  for (size_t i = 0; i < resources::kMainDialog.controlCount; ++i) {
    const int id = resources::kMainDialog.controls[i].id;
    auto* button = qobject_cast<QPushButton*>(control(id));
    if (button && MainDialog::HasCommand(id))
      connect(button, &QPushButton::clicked, this, [this, id] { logic_.OnCommand(id); });
  }
  logic_.OnInitDialog();
}

void MainWindow::SetTitle(const std::string& title) { setWindowTitle(QString::fromStdString(title)); }

void MainWindow::ShowControl(int id, bool shown) { control(id)->setVisible(shown); }

void MainWindow::SetPaneText(const std::string& text) {
  pane_->setPlainText(QString::fromStdString(ToDisplayText(text)));
}

std::string MainWindow::PaneText() const { return FromDisplayText(pane_->toPlainText().toStdString()); }

void MainWindow::SetSensorItems(const std::vector<std::string>& items) {
  sensors_->clear();
  for (const std::string& item : items) sensors_->addItem(QString::fromStdString(item));
}

void MainWindow::SelectSensorItem(int index) { sensors_->setCurrentIndex(index); }

void MainWindow::SetSensorEditText(const std::string& text) {
  sensors_->setCurrentIndex(-1);
  sensors_->setEditText(QString::fromStdString(text));
}

std::string MainWindow::SensorText() const { return sensors_->currentText().toStdString(); }

void MainWindow::EndDialog(int result) { done(result == ctl::kOk ? QDialog::Accepted : QDialog::Rejected); }

void MainWindow::RunInclinometerCalDialog(InclinometerCalDialog& dialog) { RunInclinometerCalWindow(dialog, this); }

void MainWindow::RunStrainGaugeCalDialog(StrainGaugeCalDialog& dialog) { RunStrainGaugeCalWindow(dialog, this); }
void MainWindow::SetProgressRange(int lower, int upper) { progress_->setRange(lower, upper); }

void MainWindow::SetProgressPosition(int position) {
  progress_->setValue(position);
  // The load runs inside the button's handler: paint the bar now, without taking input events.
  progress_->repaint();
}

void MainWindow::RunPcbTestDialog(PcbTestDialog& dialog) { RunPcbTestWindow(dialog, this); }
void MainWindow::RunCalSheetDialog(CalSheetDialog& dialog) { RunCalSheetWindow(dialog, this); }

}  // namespace endcap
