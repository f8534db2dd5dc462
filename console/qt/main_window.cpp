#include "console/qt/main_window.h"

#include <QChartView>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>

#include "resources/control_ids.h"
#include "console/qt/calibration_windows.h"
#include "console/qt/check_chart_view.h"
#include "console/qt/certificate_windows.h"
#include "console/display_text.h"
#include "console/qt/pcb_test_window.h"
#include "resources/station_icon.xpm"
#include "serial/close_on_signal.h"

namespace endcap {

namespace {

// The pane keeps its font's size and style and only changes face, as the unit report's
// columns are laid out with tabs for a fixed pitch.
constexpr const char* kPaneFace = "Courier";
constexpr int kTabStopCharacters = 8;
constexpr int kChartWidth = 800;
constexpr int kChartHeight = 450;

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
      connect(button, &QPushButton::clicked, this, [this, id] { Handle([this, id] { logic_.OnCommand(id); }); });
  }
  logic_.OnInitDialog();
  ServeFrom(commands_);
  worker_ = std::thread([this] { commands_->Serve([this] { PostNotBusy(); }); });
}

MainWindow::~MainWindow() {
  FinishCommand();
  commands_->Close();
  worker_.join();
}

void MainWindow::FinishCommand() {
  while (busy()) {
    for (QDialog* dialog : findChildren<QDialog*>())
      if (dialog->isVisible()) dialog->done(QDialog::Rejected);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
}

void MainWindow::SetTitle(const std::string& title) {
  OnWindowThread([&] { setWindowTitle(QString::fromStdString(title)); });
}

void MainWindow::ShowControl(int id, bool shown) {
  OnWindowThread([this, id, shown] { control(id)->setVisible(shown); });
}

void MainWindow::SetPaneText(const std::string& text) {
  OnWindowThread([&] {
    pane_->setPlainText(QString::fromStdString(ToDisplayText(text)));
    // The unit's information reads from its serial number down.
    pane_->moveCursor(QTextCursor::Start);
    pane_->verticalScrollBar()->setValue(0);
    pane_->horizontalScrollBar()->setValue(0);
  });
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Hidden already, or ending on a stop signal: the window closes as any dialog does.
  if (!isVisible() || NotedStopSignal()) {
    TemplateDialog::closeEvent(event);
    return;
  }
  // The window has no close box, but some window managers draw one all the same: it is the
  // Exit button, with its question while connected (and dropped while a command runs).
  event->ignore();
  Handle([this] { logic_.OnCommand(ctl::kExit); });
}

std::string MainWindow::PaneText() const {
  return OnWindowThread([this] { return FromDisplayText(pane_->toPlainText().toStdString()); });
}

void MainWindow::SetSensorItems(const std::vector<std::string>& items) {
  OnWindowThread([&] {
    sensors_->clear();
    for (const std::string& item : items) sensors_->addItem(QString::fromStdString(item));
  });
}

void MainWindow::SelectSensorItem(int index) {
  OnWindowThread([this, index] { sensors_->setCurrentIndex(index); });
}

void MainWindow::SetSensorEditText(const std::string& text) {
  OnWindowThread([&] {
    sensors_->setCurrentIndex(-1);
    sensors_->setEditText(QString::fromStdString(text));
  });
}

std::string MainWindow::SensorText() const {
  return OnWindowThread([this] { return sensors_->currentText().toStdString(); });
}

void MainWindow::EndDialog(int result) {
  OnWindowThread([this, result] { done(result == ctl::kOk ? QDialog::Accepted : QDialog::Rejected); });
}

void MainWindow::RunInclinometerCalDialog(InclinometerCalDialog& dialog) {
  RunDialogWindow<InclinometerCalWindow>(dialog, this);
}

void MainWindow::RunStrainGaugeCalDialog(StrainGaugeCalDialog& dialog) {
  RunDialogWindow<StrainGaugeCalWindow>(dialog, this);
}

void MainWindow::SetProgressRange(int lower, int upper) {
  OnWindowThread([this, lower, upper] { progress_->setRange(lower, upper); });
}

void MainWindow::SetProgressPosition(int position) {
  OnWindowThread([this, position] { progress_->setValue(position); });
}

void MainWindow::RunPcbTestDialog(PcbTestDialog& dialog) { RunDialogWindow<PcbTestWindow>(dialog, this); }

void MainWindow::RunCalSheetDialog(CalSheetDialog& dialog) { RunDialogWindow<CalSheetWindow>(dialog, this); }

void MainWindow::ShowCheckChart(const CheckChart& chart) {
  OnWindowThread([&] {
    if (!chart_) {
      chart_ = new QChartView(this);
      chart_->setWindowFlag(Qt::Window);
      chart_->setRenderHint(QPainter::Antialiasing);
      chart_->resize(kChartWidth, kChartHeight);
    }
    // The view lets go of its old chart without deleting it.
    QChart* old = chart_->chart();
    chart_->setChart(MakeCheckChart(chart));
    delete old;
    chart_->setWindowTitle(QString::fromStdString(chart.title));
    chart_->move(frameGeometry().topRight() + QPoint(1, 0));
    chart_->show();
    chart_->raise();
  });
}

}  // namespace endcap
