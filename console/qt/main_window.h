#pragma once
// The main window: template 102 with the status pane in a fixed-pitch font. Every button with
// a command runs it through MainDialog, on the window's command worker: one thread that runs
// the commands one at a time while the window stays drawn and busy (see TemplateDialog). The
// window itself only shows what it is told, from whichever thread tells it. A close request
// from the window manager is the Exit button.

#include <memory>
#include <thread>

#include "console/main_dialog.h"
#include "console/qt/command_queue.h"
#include "console/qt/template_dialog.h"

class QChartView;
class QCloseEvent;
class QComboBox;
class QPlainTextEdit;
class QProgressBar;

namespace endcap {

class MainWindow : public TemplateDialog, public MainView {
public:
  // factoryButtons: show the factory buttons in both connection states.
  explicit MainWindow(TesterApp& app, bool factoryButtons = false);
  // Finishes the running command first.
  ~MainWindow() override;

  MainDialog& logic() { return logic_; }

  // Returns once no command runs, taking the window's events meanwhile; a procedure dialog that
  // the command has open, or opens, ends as its Cancel ending would end it. A command must not
  // outlive the window, nor the unit's simulator that the program ends after the window.
  void FinishCommand();

  void SetTitle(const std::string& title) override;
  void ShowControl(int id, bool shown) override;
  void SetPaneText(const std::string& text) override;
  std::string PaneText() const override;
  void SetSensorItems(const std::vector<std::string>& items) override;
  void SelectSensorItem(int index) override;
  void SetSensorEditText(const std::string& text) override;
  std::string SensorText() const override;
  void EndDialog(int result) override;
  void RunInclinometerCalDialog(InclinometerCalDialog& dialog) override;
  void RunStrainGaugeCalDialog(StrainGaugeCalDialog& dialog) override;
  void SetProgressRange(int lower, int upper) override;
  void SetProgressPosition(int position) override;
  void RunPcbTestDialog(PcbTestDialog& dialog) override;
  void RunCalSheetDialog(CalSheetDialog& dialog) override;
  void ShowCheckChart(const CheckChart& chart) override;

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  MainDialog logic_;
  QPlainTextEdit* pane_;
  QComboBox* sensors_;
  QProgressBar* progress_;
  // The last check's chart, a window of its own beside this one; made at the first check.
  QChartView* chart_ = nullptr;
  const std::shared_ptr<CommandQueue> commands_ = std::make_shared<CommandQueue>();
  // Serves commands_ from the end of the constructor until the destructor closes it.
  std::thread worker_;
};

}  // namespace endcap
