#pragma once
// The main window: template 102 with the status pane in a fixed-pitch font. Every button with
// a command runs it through MainDialog; the window itself only shows what it is told.

#include "console/main_dialog.h"
#include "console/qt/template_dialog.h"

class QComboBox;
class QPlainTextEdit;
class QProgressBar;

namespace endcap {

class MainWindow : public TemplateDialog, public MainView {
public:
  // factoryButtons: show the factory buttons in both connection states.
  explicit MainWindow(TesterApp& app, bool factoryButtons = false);

  MainDialog& logic() { return logic_; }

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

private:
  MainDialog logic_;
  QPlainTextEdit* pane_;
  QComboBox* sensors_;
  QProgressBar* progress_;
};

}  // namespace endcap
