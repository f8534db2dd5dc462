#pragma once
// The main window's logic: the connection state, the status pane and the sensor choice, the
// rule that shows or hides the buttons, and the commands behind the buttons. It reaches its
// window only through MainView and the operator only through the application's OperatorInterface,
// so every command runs the same under Qt and in tests.

#include <string>
#include <vector>

#include "console/tester_app.h"
#include "procedures/inclinometer_cal_dialog.h"
#include "procedures/strain_gauge_cal_dialog.h"
#include "firmware/firmware_loader.h"
#include "procedures/pcb_test_dialog.h"
#include "records/cal_sheet_dialog.h"
#include "records/check_chart.h"

namespace endcap {

// What the logic needs of its window. Control ids are those of resources/control_ids.h.
class MainView {
public:
  virtual ~MainView() = default;
  virtual void SetTitle(const std::string& title) = 0;
  virtual void ShowControl(int id, bool shown) = 0;
  // The status pane, its line breaks as "\r\n" both ways.
  virtual void SetPaneText(const std::string& text) = 0;
  virtual std::string PaneText() const = 0;
  // The sensor list: its items (replacing all), one of them selected (which also puts its
  // text into the edit field), or a text in the edit field with no item selected.
  virtual void SetSensorItems(const std::vector<std::string>& items) = 0;
  virtual void SelectSensorItem(int index) = 0;
  virtual void SetSensorEditText(const std::string& text) = 0;
  virtual std::string SensorText() const = 0;
  // Ends the modal run with ctl::kOk or ctl::kCancel.
  virtual void EndDialog(int result) = 0;
  // Run a procedure dialog modally over the main window: create its view, attach it, call
  // OnInitDialog, and return when the dialog has ended.
  virtual void RunInclinometerCalDialog(InclinometerCalDialog& dialog) = 0;
  virtual void RunStrainGaugeCalDialog(StrainGaugeCalDialog& dialog) = 0;
  // The progress bar (shown and hidden with ShowControl). A command that moves it runs to its
  // end before the window takes its own events again, so the bar is redrawn at once.
  virtual void SetProgressRange(int lower, int upper) = 0;
  virtual void SetProgressPosition(int position) = 0;
  // Runs the dialog modally over the window: attaches a view, OnInitDialog, until it ends.
  virtual void RunPcbTestDialog(PcbTestDialog& dialog) = 0;
  // Runs the calibration sheet dialog modally over the main window: attach a view of it,
  // OnInitDialog, run until it closes.
  virtual void RunCalSheetDialog(CalSheetDialog& dialog) = 0;
  // Shows the chart of the check just stored beside the window; a view without charts shows
  // nothing.
  virtual void ShowCheckChart(const CheckChart&) {}
};

// The first item that begins with text, letter case ignored (so an empty text finds the
// first item); -1 when none does.
int FindItemBeginningWith(const std::vector<std::string>& items, const std::string& text);

class MainDialog {
public:
  MainDialog(TesterApp& app, MainView& view);

  // Start-up of the window: title, no port chosen, not connected, buttons, status folders,
  // no serial to offer the calibration sheet.
  void OnInitDialog();

  // Runs the command of a button; false when the id has no command.
  bool OnCommand(int id);
  static bool HasCommand(int id);

  // Opens the chosen port if needed (offering the chooser while none is chosen) and checks
  // that the unit answers; tells the operator what failed. Returns connected.
  bool EnsureConnected();
  // Re-reads the unit and redraws the pane, the buttons and the sensor list.
  void RefreshUnitView();
  // +kind when the choice names a kind that is enabled, -kind when it names one that is not,
  // 0 when it names none.
  int SelectedSensorState() const;
  void UpdateControls();

  // Data exchange with the window: the pane and the sensor choice.
  void TransferToWindow();
  void TransferFromWindow();

  void OnConnect();
  void OnExit();
  void OnDisconnect();
  void OnDevTest();
  void OnSetModbusAddress();
  void OnEnable();
  void OnDisable();
  void OnRead();
  void OnCalibrate();
  void OnPcbTest();
  void OnBootload();
  // Calibration sheet (1009): the sheet dialog offering the serial of the last unit
  // disconnected. It needs no connection and the window is not refreshed after it.
  void OnCalibrationSheet();

  bool connected = false;
  // Shows the factory buttons (PCB test, calibration sheet, dev test) in both connection
  // states, for a production bench; set before OnInitDialog.
  bool factoryButtons = false;
  // How the last Bootload went, for callers that report it.
  LoadResult lastLoad;
  // Whether the last Read brought a reading (the pane then shows it, else "No reply"), for
  // callers that must tell the two apart without parsing the pane.
  bool readingValid = false;
  // Whether the unit acknowledged the write of the last Enable, Disable or Set Modbus address,
  // whatever the re-reading after it brought.
  bool unitWriteAcknowledged = false;
  // Whether the last Set Modbus address refused the address typed (the operator has seen why).
  bool modbusAddressRefused = false;
  // Why the last Calibrate's or PCB test's results did not reach the record file or the store
  // (the operator has seen the box); empty when they did or there was nothing to record.
  std::string resultsNotRecorded;
  std::string statusText;
  std::string sensorChoice;
  // What the calibrations found, kept from command to command: the bench data of the strain
  // gauge's is not asked again.
  InclinometerRun inclinometerRun;
  StrainGaugeRun strainGaugeRun;

private:
  void Message(const std::string& text);
  // Offers the chooser while no port is chosen, then opens the chosen one; no message.
  void OpenChosenPort();
  // Enable and Disable: the same steps, with the test and the switch reversed.
  void SwitchSensor(bool enable);
  // What the procedure dialogs work with.
  ProcedureContext Procedure();
  // Before a command changes the unit: the operator ID, the unit's (or the board's) serial
  // confirmed, the limits loaded. False when the command must not go on.
  bool PrepareUnitChange(bool board);
  // What Calibrate does before its dialog opens: connect, re-read the unit, operator ID, unit
  // serial, limits and the supply rails. False when the dialog must not open.
  bool PrepareCalibration();
  // The chart of the unit's newest stored check of kind, as the store has it.
  void ShowStoredCheck(CheckKind kind);

  TesterApp& app_;
  MainView& view_;
  std::vector<std::string> sensorItems_;
};

}  // namespace endcap
