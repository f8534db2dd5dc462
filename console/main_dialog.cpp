#include "console/main_dialog.h"

#include <cctype>
#include <cmath>

#include "protocol/modbus_frame.h"
#include "protocol/register_map.h"
#include "protocol/register_values.h"
#include "records/pcb_test_items.h"
#include "records/results_record.h"
#include "resources/control_ids.h"
#include "serial/close_on_signal.h"
#include "serial/text_format.h"
#include "unit/conversions.h"
#include "unit/sensor_operations.h"
#include "unit/unit_identity.h"

namespace endcap {

namespace {

// The sensor kinds the main window knows, in list order. The kind number equals its mask in
// the enabled and fitted sensor words, and is what EnableSensors and DisableSensors take.
struct SensorKind {
  uint16_t mask;
  const char* listText;
};
constexpr SensorKind kSensorKinds[] = {
    {reg::kSensorInclinometer, "Inclinometer"},
    {reg::kSensorStrainGauge, "RS485 Strain"},
};

// The choice was examined in a 52-byte buffer: only its first 51 characters count.
constexpr size_t kChoiceLength = 51;

// The handshake reads the firmware version block: a unit that answers it is programmed.
constexpr int kHandshakeCount = 3;
constexpr int kHandshakeTimeoutSeconds = 2;

constexpr int kModbusAddressTimeoutSeconds = 2;
constexpr int kDevTestTimeoutSeconds = 5;
constexpr float kDevTestValue = 0.1f;
constexpr int kPressureWaitSeconds = 10;

// Which buttons each connection state shows. The status pane and the progress bar are not
// the state's business.
struct Visibility {
  int id;
  bool whenConnected;
  bool whenNotConnected;
};
constexpr Visibility kVisibility[] = {
    {ctl::kExit, true, true},
    {ctl::kDevTest, false, false},
    {ctl::kPcbTest, false, false},
    {ctl::kCalibrationSheet, false, false},
    {ctl::kConnect, false, true},
    {ctl::kDisconnect, true, false},
    {ctl::kSetModbusAddress, true, false},
    {ctl::kBootload, true, false},
    {ctl::kSensorList, true, false},
    {ctl::kEnable, true, false},
    {ctl::kDisable, true, false},
    {ctl::kCalibrate, true, false},
    {ctl::kRead, true, false},
};

struct Command {
  int id;
  void (MainDialog::*handler)();
};
constexpr Command kCommands[] = {
    {ctl::kConnect, &MainDialog::OnConnect},
    {ctl::kExit, &MainDialog::OnExit},
    {ctl::kDisconnect, &MainDialog::OnDisconnect},
    {ctl::kDevTest, &MainDialog::OnDevTest},
    {ctl::kSetModbusAddress, &MainDialog::OnSetModbusAddress},
    {ctl::kEnable, &MainDialog::OnEnable},
    {ctl::kDisable, &MainDialog::OnDisable},
    {ctl::kRead, &MainDialog::OnRead},
    {ctl::kCalibrate, &MainDialog::OnCalibrate},
    {ctl::kPcbTest, &MainDialog::OnPcbTest},
    {ctl::kBootload, &MainDialog::OnBootload},
    {ctl::kCalibrationSheet, &MainDialog::OnCalibrationSheet},
};

// Hidden in both states unless the station runs on a production bench.
constexpr int kFactoryButtons[] = {ctl::kDevTest, ctl::kPcbTest, ctl::kCalibrationSheet};

bool IsFactoryButton(int id) {
  for (int factory : kFactoryButtons)
    if (factory == id) return true;
  return false;
}

// The main window's progress bar as the firmware loader drives it.
class ProgressBar : public LoadProgressView {
public:
  explicit ProgressBar(MainView& view) : view_(view) {}
  void SetProgressRange(int lower, int upper) override { view_.SetProgressRange(lower, upper); }
  void SetProgressPosition(int position) override { view_.SetProgressPosition(position); }
  void ShowProgress(bool shown) override { view_.ShowControl(ctl::kProgressBar, shown); }

private:
  MainView& view_;
};

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

}  // namespace

int FindItemBeginningWith(const std::vector<std::string>& items, const std::string& text) {
  for (size_t i = 0; i < items.size(); ++i) {
    const std::string& item = items[i];
    if (item.size() < text.size()) continue;
    size_t k = 0;
    while (k < text.size() && Lower(item[k]) == Lower(text[k])) ++k;
    if (k == text.size()) return static_cast<int>(i);
  }
  return -1;
}

MainDialog::MainDialog(TesterApp& app, MainView& view) : app_(app), view_(view) {}

ProcedureContext MainDialog::Procedure() {
  return {app_.client, app_.unit, app_.op(), app_.settings.limits, app_.settings.records.operatorId};
}

void MainDialog::OnInitDialog() {
  view_.SetTitle(TesterApp::WindowTitle());
  app_.settings.chosenPort = 0;
  connected = false;
  UpdateControls();
  app_.CreateStatusFolders();
  app_.settings.lastUnitSerial.clear();
}

bool MainDialog::HasCommand(int id) {
  for (const Command& command : kCommands)
    if (command.id == id) return true;
  return false;
}

bool MainDialog::OnCommand(int id) {
  for (const Command& command : kCommands) {
    if (command.id != id) continue;
    (this->*command.handler)();
    return true;
  }
  return false;
}

void MainDialog::Message(const std::string& text) { app_.op().ShowMessage(WindowBox(text)); }

void MainDialog::UpdateControls() {
  for (const Visibility& v : kVisibility)
    view_.ShowControl(v.id, (factoryButtons && IsFactoryButton(v.id)) || (connected ? v.whenConnected : v.whenNotConnected));
}

void MainDialog::TransferToWindow() {
  view_.SetPaneText(statusText);
  const int index = FindItemBeginningWith(sensorItems_, sensorChoice);
  if (index >= 0) view_.SelectSensorItem(index);
  else view_.SetSensorEditText(sensorChoice);
}

void MainDialog::TransferFromWindow() {
  statusText = view_.PaneText();
  sensorChoice = view_.SensorText();
}

void MainDialog::OpenChosenPort() {
  int32_t& chosenPort = app_.settings.chosenPort;
  if (chosenPort == 0) {
    const uint8_t chosen = app_.op().ChoosePort();
    if (chosen > 0) chosenPort = chosen;
  }
  if (chosenPort != 0) connected = app_.client.port().OpenOnPort(chosenPort);
}

bool MainDialog::EnsureConnected() {
  if (!connected) {
    OpenChosenPort();
    if (!connected) {
      Message("Failed to Connect at all!!");
      return false;
    }
  }
  uint16_t version[kHandshakeCount];
  if (!app_.client.ReadInputRegisters(reg::kFirmwareMajor, kHandshakeCount, version, kHandshakeTimeoutSeconds)) {
    Message("Failed to connect to the External inclinometer\r\nHas the board been programmed??");
    connected = false;
  }
  return connected;
}

void MainDialog::RefreshUnitView() {
  ReadUnitInfo(app_.client, app_.unit);
  statusText = FormatUnitInfo(app_.unit);
  UpdateControls();
  sensorItems_.clear();
  for (const SensorKind& kind : kSensorKinds)
    if ((kind.mask & app_.unit.fittedSensors) != 0) sensorItems_.push_back(kind.listText);
  view_.SetSensorItems(sensorItems_);
  TransferToWindow();
}

int MainDialog::SelectedSensorState() const {
  const std::string choice = sensorChoice.substr(0, kChoiceLength);
  for (const SensorKind& kind : kSensorKinds) {
    if (choice.find(kind.listText) == std::string::npos) continue;
    return (kind.mask & app_.unit.enabledSensors) != 0 ? kind.mask : -kind.mask;
  }
  return 0;
}

void MainDialog::OnConnect() {
  if (EnsureConnected()) RefreshUnitView();
}

void MainDialog::OnExit() {
  if (connected) {
    Message("You are still connected");
    return;
  }
  view_.EndDialog(ctl::kOk);
}

void MainDialog::OnDisconnect() {
  app_.client.ReleaseUnit(connected);
  app_.settings.lastUnitSerial = app_.unit.unitSerial;
  // The next unit is a new one: its records, serials and operator are confirmed again, and
  // its calibration starts with no verdicts and the room's temperature asked again.
  ResetUnitState(app_.unit);
  app_.client.ForgetLostUnit();
  app_.settings.records.operatorId.clear();
  app_.settings.records.operatorKnown = false;
  strainGaugeRun.ForgetUnit();
  statusText = "Disconnected";
  connected = false;
  UpdateControls();
  TransferToWindow();
}

void MainDialog::OnDevTest() {
  if (!connected) OpenChosenPort();
  if (!EnsureConnected()) return;
  uint16_t value[2];
  Int32ToRegisters(value, 0, FloatBits(kDevTestValue));
  app_.client.WriteMultipleRegisters(reg::kDevTestValue, 2, value, kDevTestTimeoutSeconds);
}

void MainDialog::OnSetModbusAddress() {
  unitWriteAcknowledged = false;
  modbusAddressRefused = false;
  if (!EnsureConnected()) return;
  const std::string text = app_.op().PromptText("Enter Modbus address for unit", "250");
  const long typed = LeadingInt(text);
  // Only the Modbus slave addresses can be reached by a standard master on the unit's line; the
  // unit's own address, the prompt's default, stays allowed so a unit can be set back to it.
  modbusAddressRefused =
      (typed < modbus::kFirstSlaveAddress || typed > modbus::kLastSlaveAddress) && typed != reg::kUnitAddress;
  if (modbusAddressRefused) {
    Message(Format("Modbus address must be %ld to %ld, or %d\r\nNothing was written to the unit",
                   modbus::kFirstSlaveAddress, modbus::kLastSlaveAddress, reg::kUnitAddress));
    return;
  }
  const uint16_t address = static_cast<uint16_t>(typed);
  unitWriteAcknowledged = app_.client.WriteMultipleRegisters(reg::kModbusAddress, 1, &address, kModbusAddressTimeoutSeconds);
  RefreshUnitView();
}

void MainDialog::SwitchSensor(bool enable) {
  unitWriteAcknowledged = false;
  TransferFromWindow();
  const int s = SelectedSensorState();
  const bool toSwitch = enable ? s < 0 : s > 0;
  if (toSwitch) {
    const uint16_t kind = static_cast<uint16_t>(enable ? -s : s);
    if (EnsureConnected()) {
      ReadUnitInfo(app_.client, app_.unit);
      if (PrepareUnitChange(false)) {
        if (!CheckPowerSupplies(app_.client, app_.op(), app_.settings.limits, false))
          Message("Warning power supply voltages!!");
        else
          unitWriteAcknowledged = enable ? EnableSensors(app_.client, app_.unit, kind)
                                         : DisableSensors(app_.client, app_.unit, kind);
      }
    }
  } else if (s == 0) {
    Message("Unknown sensor error");
  } else {
    Message(enable ? "Sensor is already enabled!!" : "Sensor is already disabled!!");
  }
  RefreshUnitView();
}

void MainDialog::OnEnable() { SwitchSensor(true); }

void MainDialog::OnDisable() { SwitchSensor(false); }

void MainDialog::OnRead() {
  readingValid = false;
  TransferFromWindow();
  const int s = SelectedSensorState();
  if (s == reg::kSensorInclinometer) {
    if (EnsureConnected()) {
      const PitchRollReading reading = ReadPitchRoll(app_.client, true);
      readingValid = reading.valid;
      statusText = reading.valid
                       ? Format("Pitch   %f Degrees\r\nRoll    %f Degrees", reading.pitchDeg, reading.rollDeg)
                       : "No reply";
    }
  } else if (s == reg::kSensorStrainGauge) {
    if (EnsureConnected()) {
      // The main window shows the first value, without a new trigger, also when the wait
      // ended before the gauge was ready. A unit that never answered leaves no value at all,
      // which reads as no reply, as for pitch and roll.
      const PressureReading reading = ReadPressure(app_.client, true, false, kPressureWaitSeconds);
      readingValid = reading.ready && !std::isnan(reading.psi);
      statusText = std::isnan(reading.psi) ? "No reply" : Format("Pressure %f PSI", reading.psi);
    }
  } else {
    Message(s < 0 ? "Error sensor is not enabled" : "Unknown sensor error");
  }
  TransferToWindow();
}

bool MainDialog::PrepareUnitChange(bool board) {
  return EnsureOperatorId(app_.op(), app_.settings.records, app_.unit) &&
         ConfirmSerial(app_.client, app_.op(), app_.unit, board) && BeginResultsRecord(app_.settings.limits);
}

bool MainDialog::PrepareCalibration() {
  if (!EnsureConnected()) return false;
  ReadUnitInfo(app_.client, app_.unit);
  if (!PrepareUnitChange(false)) return false;
  if (!CheckPowerSupplies(app_.client, app_.op(), app_.settings.limits, false)) {
    Message("Warning power supply voltages!!");
    return false;
  }
  return true;
}

void MainDialog::OnCalibrate() {
  TransferFromWindow();
  resultsNotRecorded.clear();
  // A stop signal during the calibration ends it where it is; its completed steps are recorded.
  const StopSignalHold hold;
  const int s = SelectedSensorState();
  if (s == reg::kSensorInclinometer) {
    InclinometerCalDialog dialog(Procedure(), inclinometerRun);
    if (PrepareCalibration()) {
      view_.RunInclinometerCalDialog(dialog);
      const bool checked = inclinometerRun.checkRun;
      // However the dialog was closed: only what its procedures marked as run is written.
      resultsNotRecorded = RecordInclinometerCalibration(app_.settings.records, app_.unit, inclinometerRun, app_.op(),
                                                         app_.client.clock());
      // Not stored, the newest check in the store would be an older one.
      if (checked && resultsNotRecorded.empty()) ShowStoredCheck(CheckKind::Inclinometer);
    }
  } else if (s == reg::kSensorStrainGauge) {
    StrainGaugeCalDialog dialog(Procedure(), strainGaugeRun);
    if (PrepareCalibration()) {
      view_.RunStrainGaugeCalDialog(dialog);
      const bool checked = strainGaugeRun.checkRun;
      resultsNotRecorded = RecordStrainGaugeCalibration(app_.settings.records, app_.unit, strainGaugeRun, app_.op(),
                                                        app_.client.clock());
      if (checked && resultsNotRecorded.empty()) ShowStoredCheck(CheckKind::StrainGauge);
    }
  } else {
    Message(s < 0 ? "Error sensor is not enabled" : "Unknown sensor error");
  }
  RefreshUnitView();
}

void MainDialog::ShowStoredCheck(CheckKind kind) {
  std::vector<CheckChart> charts;
  std::string error;
  // The results are stored: a store that cannot be read back just now only costs the chart.
  if (!ReadCheckCharts(app_.settings.records, app_.settings.limits, app_.unit.unitSerial, charts, error)) return;
  for (const CheckChart& chart : charts)
    if (chart.kind == kind) view_.ShowCheckChart(chart);
}

void MainDialog::OnPcbTest() {
  resultsNotRecorded.clear();
  PcbTestDialog dialog(Procedure());
  if (!EnsureConnected()) return;
  const MessageBox warning{"Warning!!\r\nContinuing will erase any existing calibration\r\nContinue?", kApplicationName,
                           BoxButtons::YesNo, BoxIcon::Warning, 0, BoxOwner::Window, BoxAsks::GoingOn};
  if (app_.op().ShowMessage(warning) != BoxAnswer::Yes) return;
  ReadUnitInfo(app_.client, app_.unit);
  if (PrepareUnitChange(true)) {
    app_.client.PrepareBoardTest();
    view_.RunPcbTestDialog(dialog);
    resultsNotRecorded = RecordPcbTest(app_.settings.records, app_.unit, dialog.run, app_.op(), app_.client.clock());
  }
  RefreshUnitView();
}

void MainDialog::OnBootload() {
  lastLoad = {};
  if (!EnsureConnected()) {
    lastLoad.outcome = LoadOutcome::NotConnected;
    return;
  }
  ProgressBar progress(view_);
  lastLoad = LoadFirmware(app_.client, app_.op(), app_.settings.firmwareFolder, progress);
  if (lastLoad.outcome == LoadOutcome::Sent) RefreshUnitView();
}

void MainDialog::OnCalibrationSheet() {
  CalSheetDialog dialog(app_.op(), app_.unit, app_.settings.records, app_.settings.limits, app_.spreadsheet(),
                        CertificateFolder(app_.drives()));
  dialog.serialText = app_.settings.lastUnitSerial;
  view_.RunCalSheetDialog(dialog);
}

}  // namespace endcap
