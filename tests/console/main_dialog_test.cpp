// The main window's commands against the simulated unit on an in-memory line and the virtual
// clock: exact boxes, prompts, pane texts and frames.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "resources/control_ids.h"
#include "console/main_dialog.h"
#include "protocol/register_map.h"
#include "protocol/register_values.h"
#include "serial/memory_device.h"
#include "serial/text_format.h"
#include "sim/memory_unit_peer.h"
#include "sim/simulated_unit.h"
#include "tests/console/fake_views.h"
#include "tests/console/simulated_station.h"
#include "tests/support/scripted_operator.h"

namespace endcap {
namespace {

using testing::FakeMainView;
using testing::ScriptedOperator;
using testing::SimulatedStation;
using Bytes = std::vector<uint8_t>;

constexpr const char* kUnitInformation =
    "Overall unit serial\t123456-007\r\n"
    "Firmware version\t3.07c\r\n"
    "Modbus address\t\t250\r\n"
    "Overall unit current\t72 ma\r\n\r\n"
    "PCB\t\t\t6120-047-02\r\n"
    "Serial\t\t\t654321-002\r\n"
    "ID No\t\t\t01:2000605040302\r\n\r\n"
    "Inclinometer FS\t\t45.000 degrees\r\n"
    "Inclinometer accuracy\t0.250%\r\n"
    "Inclinometer warm-up\t2.50 secs\r\n"
    "Inclinometer samples \t16\r\n\r\n"
    "Pressure sensor SerNo\t65538\r\n"
    "Pressure FS\t\t10.0 BAR\r\n"
    "Pressure accuracy\t0.50 %\r\n"
    "Pressure warm-up\t1.20 secs\r\n\r\n"
    "Factory cal\t\tNot calibrated\r\n"
    "Inclinometer cal\t07/03/05  AB@\r\n"
    "Pressure cal\t\tNot calibrated\r\n";

constexpr const char* kNoAnswer = "Failed to connect to the External inclinometer\r\nHas the board been programmed??";

const Bytes kHandshake = {0xFA, 0x04, 0x00, 0x02, 0x00, 0x03, 0x04, 0x40};
const Bytes kUnlock = {0xFA, 0x41, 0x16, 0xC3, 0x2E, 0xD9};
const Bytes kRelease = {0xFA, 0x42, 0x00, 0x00, 0x90, 0xE8};

// Buttons shown by each connection state, in id order.
const std::vector<int> kNotConnectedButtons = {ctl::kConnect, ctl::kExit};
const std::vector<int> kConnectedButtons = {ctl::kExit,     ctl::kDisconnect, ctl::kBootload, ctl::kSetModbusAddress,
                                            ctl::kSensorList, ctl::kEnable,   ctl::kDisable,  ctl::kRead,
                                            ctl::kCalibrate};

void PutFloat(sim::SimulatedUnit& unit, uint16_t reg, float value) {
  uint16_t r[2];
  Int32ToRegisters(r, 0, FloatBits(value));
  unit.SetRegister(reg, r[0]);
  unit.SetRegister(static_cast<uint16_t>(reg + 1), r[1]);
}

// Every register the information text shows, so that the text depends on this test alone.
void StampIdentity(sim::SimulatedUnit& unit) {
  const std::pair<uint16_t, uint16_t> words[] = {
      {reg::kEnabledSensors, 3}, {reg::kFittedSensors, 3}, {reg::kFirmwareMajor, 3}, {reg::kFirmwareMinor, 7},
      {reg::kFirmwareLetter, 'c'}, {reg::kPcbDrawing, 6120}, {reg::kPcbDrawing + 1, 47}, {reg::kPcbDrawing + 2, 2},
      {reg::kBoardSerial, 0x6543}, {reg::kBoardSerial + 1, 0x2102}, {reg::kUnitSerial, 0x1234},
      {reg::kUnitSerial + 1, 0x5607}, {reg::kModbusAddress, 250}, {reg::kGaugeSerialNo, 1}, {reg::kGaugeSerialNo + 1, 2},
      {reg::kInclinometerSamples, 16}, {reg::kInclinometerWarmUp, 25}, {reg::kPressureWarmUp, 12},
      {reg::kUnitCurrent, 72}};
  for (const auto& [r, value] : words) unit.SetRegister(r, value);
  const uint8_t id[8] = {1, 2, 3, 4, 5, 6, 200, 9};
  for (uint16_t k = 0; k < 8; ++k) unit.SetRegister(static_cast<uint16_t>(reg::kIdNumber + k), id[k]);
  PutFloat(unit, reg::kInclinometerAccuracy, 0.25f);
  PutFloat(unit, reg::kInclinometerFullScale, 45.0f);
  PutFloat(unit, reg::kPressureFullScale, 10.0f);
  PutFloat(unit, reg::kPressureAccuracy, 0.5f);
  // Factory and pressure records erased; the inclinometer record of 7 March 2005 by AB, marker 1.
  const uint16_t records[12] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 1, 0x0703, 0x0501, 0x0220,
                                0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
  for (uint16_t k = 0; k < 12; ++k) unit.SetRegister(static_cast<uint16_t>(reg::kCalRecords + k), records[k]);
}

// Passes the station's requests to the unit, except reads that start at one register.
class DeafToReadsOf : public LinePeer {
public:
  DeafToReadsOf(MemoryLine& line, LinePeer& unit, uint16_t first) : unit_(unit), first_(first) { line.SetPeer(this); }
  void OnHostBytes(const uint8_t* data, size_t size) override {
    const bool dropped = size >= 4 && data[1] == reg::kReadInputRegisters && ((data[2] << 8) | data[3]) == first_;
    if (!dropped) unit_.OnHostBytes(data, size);
  }

private:
  LinePeer& unit_;
  uint16_t first_;
};

class MainDialogTest : public ::testing::Test, protected SimulatedStation {
protected:
  MainDialogTest() {
    StampIdentity(unit_);
    dialog_.OnInitDialog();
  }

  // The first Connect: the chooser, then the unit's information.
  void Connect() {
    op_.ExpectChoosePort(1);
    ASSERT_TRUE(dialog_.OnCommand(ctl::kConnect));
    op_.VerifyDone();
    ASSERT_TRUE(dialog_.connected);
  }
  void ChooseSensor(const std::string& text) { view_.SetSensorEditText(text); }
  // The frames written since the mark, one entry per write.
  std::vector<Bytes> WrittenSince(size_t mark) {
    return std::vector<Bytes>(line_.writes().begin() + static_cast<long>(mark), line_.writes().end());
  }
  size_t Mark() { return line_.writes().size(); }
  static bool Contains(const std::vector<Bytes>& frames, const Bytes& frame) {
    return std::find(frames.begin(), frames.end(), frame) != frames.end();
  }
  static size_t CountWritesTo(const std::vector<Bytes>& frames, uint16_t reg) {
    return static_cast<size_t>(std::count_if(frames.begin(), frames.end(), [reg](const Bytes& f) {
      return f.size() > 4 && f[1] == reg::kWriteMultipleRegisters && ((f[2] << 8) | f[3]) == reg;
    }));
  }
  uint16_t UnitRegister(uint16_t r) { return unit_.Register(r).value_or(0xDEAD); }

  FakeMainView view_;
  MainDialog dialog_{app_, view_};
};

TEST_F(MainDialogTest, StartsNotConnectedWithOnlyConnectAndExitAndItsFolders) {
  EXPECT_EQ(view_.title, "Remote inclinometer calibrate V1.000.007 Offshore Version");
  EXPECT_EQ(view_.Shown(), kNotConnectedButtons);
  EXPECT_EQ(view_.visible.count(ctl::kStatusPane), 0u);
  EXPECT_EQ(view_.visible.count(ctl::kProgressBar), 0u);
  EXPECT_FALSE(dialog_.connected);
  EXPECT_TRUE(std::filesystem::is_directory(home_.path() + "/Quorvanta/D5Status"));
  EXPECT_EQ(app_.settings.records.recordFolder, home_.path() + "/Quorvanta/D5Status");
}

TEST_F(MainDialogTest, StartUpForgetsThePortAndTheLastSerialAndIsSilentOnExistingFolders) {
  app_.settings.chosenPort = 5;
  app_.settings.lastUnitSerial = "111111-001";
  dialog_.OnInitDialog();
  EXPECT_EQ(app_.settings.chosenPort, 0);
  EXPECT_EQ(app_.settings.lastUnitSerial, "");
}

TEST_F(MainDialogTest, OnlyTheCommandsOfThisWindowHaveHandlers) {
  for (int id : {ctl::kConnect, ctl::kExit, ctl::kDisconnect, ctl::kDevTest, ctl::kSetModbusAddress, ctl::kEnable,
                 ctl::kDisable, ctl::kRead, ctl::kCalibrate, ctl::kPcbTest, ctl::kBootload, ctl::kCalibrationSheet})
    EXPECT_TRUE(MainDialog::HasCommand(id)) << id;
  for (int id : {ctl::kStatusPane})
    EXPECT_FALSE(dialog_.OnCommand(id)) << id;
}

TEST_F(MainDialogTest, FirstConnectOffersTheChooserAndShowsTheUnit) {
  Connect();
  EXPECT_EQ(app_.settings.chosenPort, 1);
  EXPECT_EQ(line_.writes().front(), kHandshake);
  EXPECT_EQ(view_.pane, kUnitInformation);
  EXPECT_EQ(dialog_.statusText, kUnitInformation);
  EXPECT_EQ(view_.Shown(), kConnectedButtons);
  EXPECT_EQ(view_.items, (std::vector<std::string>{"Inclinometer", "RS485 Strain"}));
  EXPECT_EQ(view_.selected, 0);
}

TEST_F(MainDialogTest, LeavingTheChooserWithoutAPortFailsAndOffersItAgain) {
  op_.ExpectChoosePort(0).ExpectWindowBox("Failed to Connect at all!!");
  dialog_.OnConnect();
  op_.ExpectChoosePort(0).ExpectWindowBox("Failed to Connect at all!!");
  dialog_.OnConnect();
  op_.VerifyDone();
  EXPECT_EQ(app_.settings.chosenPort, 0);
  EXPECT_TRUE(line_.writes().empty());
  EXPECT_EQ(view_.Shown(), kNotConnectedButtons);
}

TEST_F(MainDialogTest, AChosenPortThatDoesNotOpenFailsAtEveryConnectWithoutTheChooser) {
  op_.ExpectChoosePort(2).ExpectWindowBox("Failed to Connect at all!!");
  dialog_.OnConnect();
  op_.ExpectWindowBox("Failed to Connect at all!!");
  dialog_.OnConnect();
  op_.VerifyDone();
  EXPECT_EQ(app_.settings.chosenPort, 2);
  EXPECT_FALSE(dialog_.connected);
}

TEST_F(MainDialogTest, ASilentUnitFailsTheHandshakeAndStaysInTheNotConnectedLayout) {
  unit_.InjectFault(sim::Fault::NoReply, sim::FaultMode::Always);
  op_.ExpectChoosePort(1).ExpectWindowBox(kNoAnswer);
  dialog_.OnConnect();
  op_.VerifyDone();
  EXPECT_FALSE(dialog_.connected);
  EXPECT_EQ(view_.Shown(), kNotConnectedButtons);
  EXPECT_EQ(view_.pane, "");
  // The port is open and chosen: the next Connect asks for nothing and only repeats the check.
  unit_.ClearFaults();
  dialog_.OnConnect();
  EXPECT_TRUE(dialog_.connected);
  EXPECT_EQ(view_.pane, kUnitInformation);
}

TEST_F(MainDialogTest, EveryCommandRepeatsTheHandshake) {
  Connect();
  unit_.InjectFault(sim::Fault::NoReply, sim::FaultMode::Always);
  op_.ExpectWindowBox(kNoAnswer);
  const size_t mark = Mark();
  dialog_.OnRead();
  op_.VerifyDone();
  EXPECT_EQ(WrittenSince(mark), std::vector<Bytes>{kHandshake});
  EXPECT_FALSE(dialog_.connected);
  EXPECT_EQ(view_.pane, kUnitInformation);
}

TEST_F(MainDialogTest, ExitIsRefusedWhileConnectedAndDisconnectKeepsThePortForTheNextConnect) {
  Connect();
  op_.ExpectWindowBox("You are still connected");
  dialog_.OnExit();
  op_.VerifyDone();
  EXPECT_EQ(view_.ended, 0);
  const size_t mark = Mark();
  dialog_.OnDisconnect();
  EXPECT_EQ(WrittenSince(mark), (std::vector<Bytes>{kUnlock, kRelease}));
  EXPECT_EQ(view_.pane, "Disconnected");
  EXPECT_EQ(view_.Shown(), kNotConnectedButtons);
  EXPECT_EQ(app_.settings.lastUnitSerial, "123456-007");
  EXPECT_EQ(app_.settings.chosenPort, 1);
  dialog_.OnConnect();
  op_.VerifyDone();
  EXPECT_TRUE(dialog_.connected);
  EXPECT_EQ(view_.pane, kUnitInformation);
  EXPECT_EQ(ports_.openCount(), 1);
  dialog_.OnDisconnect();
  dialog_.OnExit();
  EXPECT_EQ(view_.ended, ctl::kOk);
}

TEST_F(MainDialogTest, DisconnectForgetsTheOperatorAndTheRoomButNotTheBench) {
  Connect();
  app_.settings.records.operatorId = "AB";
  app_.settings.records.operatorKnown = true;
  dialog_.strainGaugeRun.temperatureDegC = 20.0;
  dialog_.strainGaugeRun.atmosphericPressureMb = 1013.0;
  dialog_.strainGaugeRun.checkRun = true;
  dialog_.OnDisconnect();
  EXPECT_EQ(app_.settings.records.operatorId, "");
  EXPECT_FALSE(app_.settings.records.operatorKnown);
  EXPECT_EQ(dialog_.strainGaugeRun.temperatureDegC, -1000.0);
  EXPECT_EQ(dialog_.strainGaugeRun.atmosphericPressureMb, 1013.0);
  EXPECT_FALSE(dialog_.strainGaugeRun.checkRun);
  EXPECT_EQ(app_.settings.firmwareFolder, "C:\\Microchip\\projects\\6120-047\\");
}

TEST_F(MainDialogTest, EnableAsksTheOperatorAndStoresANewSerial) {
  unit_.SetRegister(reg::kEnabledSensors, 1);
  unit_.SetRegister(reg::kUnitSerial, 0xFFFF);
  unit_.SetRegister(reg::kUnitSerial + 1, 0xFFFF);
  Connect();
  ChooseSensor("RS485 Strain");
  op_.ExpectPrompt("Enter operator ID 2/3 chars", "", "ab").ExpectPrompt("Enter unit serial No", "", "123456-7");
  dialog_.OnEnable();
  op_.VerifyDone();
  EXPECT_EQ(UnitRegister(reg::kUnitSerial), 0x1234);
  EXPECT_EQ(UnitRegister(reg::kUnitSerial + 1), 0x5607);
  EXPECT_EQ(UnitRegister(reg::kEnabledSensors), 3);
  EXPECT_EQ(app_.settings.records.operatorId, "AB");
  EXPECT_EQ(view_.pane, kUnitInformation);
  EXPECT_EQ(view_.editText, "RS485 Strain");
}

TEST_F(MainDialogTest, EnableWithTheMatchingSerialEnables) {
  unit_.SetRegister(reg::kEnabledSensors, 1);
  Connect();
  view_.SelectSensorItem(1);
  op_.ExpectPrompt("Enter operator ID 2/3 chars", "", "xyz").ExpectPrompt("Enter unit serial No", "123456-007",
                                                                           "123456-007");
  const size_t mark = Mark();
  dialog_.OnEnable();
  op_.VerifyDone();
  const Bytes enableBoth = {0xFA, 0x10, 0x00, 0x00, 0x00, 0x01, 0x02, 0x00, 0x03, 0x91, 0x65};
  EXPECT_TRUE(Contains(WrittenSince(mark), enableBoth));
  EXPECT_EQ(UnitRegister(reg::kEnabledSensors), 3);
  // Operator and serial are known now: the next command asks for neither.
  ChooseSensor("Inclinometer");
  op_.ExpectWindowBox("Sensor is already enabled!!");
  dialog_.OnEnable();
}

TEST_F(MainDialogTest, AMismatchedSerialReplacedOnYesStopsTheCommand) {
  unit_.SetRegister(reg::kEnabledSensors, 1);
  Connect();
  ChooseSensor("RS485 Strain");
  op_.ExpectPrompt("Enter operator ID 2/3 chars", "", "ab")
      .ExpectPrompt("Enter unit serial No", "123456-007", "654321-1")
      .ExpectUnownedBox("Unit serial stored in board 123456-007 does not match entered serial 654321-001!!\r\n"
                        "Do you wish to replace serial number stored in the board\r\n"
                        "WARNING this will invalidate previous calibration!",
                        "", BoxButtons::YesNo, BoxAnswer::Yes);
  dialog_.OnEnable();
  op_.VerifyDone();
  EXPECT_EQ(UnitRegister(reg::kUnitSerial), 0x6543);
  EXPECT_EQ(UnitRegister(reg::kUnitSerial + 1), 0x2101);
  EXPECT_EQ(UnitRegister(reg::kEnabledSensors), 1);
  // The next command confirms again and offers the new serial.
  op_.ExpectPrompt("Enter unit serial No", "654321-001", "654321-001");
  dialog_.OnEnable();
  op_.VerifyDone();
  EXPECT_EQ(UnitRegister(reg::kEnabledSensors), 3);
}

TEST_F(MainDialogTest, AMismatchedSerialKeptOnNoChangesNothing) {
  unit_.SetRegister(reg::kEnabledSensors, 1);
  Connect();
  ChooseSensor("RS485 Strain");
  op_.ExpectPrompt("Enter operator ID 2/3 chars", "", "ab")
      .ExpectPrompt("Enter unit serial No", "123456-007", "654321-001")
      .ExpectUnownedBox("Unit serial stored in board 123456-007 does not match entered serial 654321-001!!\r\n"
                        "Do you wish to replace serial number stored in the board\r\n"
                        "WARNING this will invalidate previous calibration!",
                        "", BoxButtons::YesNo, BoxAnswer::No);
  const std::string paneBefore = view_.pane;
  const size_t mark = Mark();
  dialog_.OnEnable();
  op_.VerifyDone();
  EXPECT_EQ(CountWritesTo(WrittenSince(mark), reg::kUnitSerial), 0u);
  EXPECT_EQ(CountWritesTo(WrittenSince(mark), reg::kEnabledSensors), 0u);
  EXPECT_EQ(UnitRegister(reg::kUnitSerial), 0x1234);
  EXPECT_EQ(view_.pane, paneBefore);
}

TEST_F(MainDialogTest, SuppliesOutOfLimitsStopEnableAndDisable) {
  unit_.SetRegister(reg::kEnabledSensors, 1);
  unit_.SetSupply(sim::Supply::Board3V3, 2.9);
  Connect();
  ChooseSensor("RS485 Strain");
  op_.ExpectPrompt("Enter operator ID 2/3 chars", "", "ab")
      .ExpectPrompt("Enter unit serial No", "123456-007", "123456-007")
      .ExpectWindowBox("Warning power supply voltages!!");
  const size_t mark = Mark();
  dialog_.OnEnable();
  ChooseSensor("Inclinometer");
  op_.ExpectWindowBox("Warning power supply voltages!!");
  dialog_.OnDisable();
  op_.VerifyDone();
  EXPECT_EQ(CountWritesTo(WrittenSince(mark), reg::kEnabledSensors), 0u);
  EXPECT_EQ(UnitRegister(reg::kEnabledSensors), 1);
}

TEST_F(MainDialogTest, DisableSwitchesTheChosenSensorOff) {
  Connect();
  ChooseSensor("Inclinometer");
  op_.ExpectPrompt("Enter operator ID 2/3 chars", "", "ab").ExpectPrompt("Enter unit serial No", "123456-007",
                                                                          "123456-007");
  dialog_.OnDisable();
  op_.VerifyDone();
  EXPECT_EQ(UnitRegister(reg::kEnabledSensors), 2);
  // The pane follows the unit: no inclinometer section any more.
  EXPECT_EQ(view_.pane.find("Inclinometer FS"), std::string::npos);
  EXPECT_NE(view_.pane.find("Pressure FS\t\t10.0 BAR\r\n"), std::string::npos);
}

TEST_F(MainDialogTest, TheChoiceChecksRefuseWithTheirOwnMessagesAndStillRefresh) {
  Connect();
  ChooseSensor("Inclinometer");
  op_.ExpectWindowBox("Sensor is already enabled!!");
  dialog_.OnEnable();
  unit_.SetRegister(reg::kEnabledSensors, 1);
  dialog_.RefreshUnitView();
  ChooseSensor("RS485 Strain");
  op_.ExpectWindowBox("Sensor is already disabled!!");
  dialog_.OnDisable();
  op_.ExpectWindowBox("Error sensor is not enabled");
  dialog_.OnRead();
  ChooseSensor("Thermometer");
  op_.ExpectWindowBox("Unknown sensor error").ExpectWindowBox("Unknown sensor error").ExpectWindowBox(
      "Unknown sensor error");
  dialog_.OnEnable();
  dialog_.OnDisable();
  view_.pane = "operator's note";
  dialog_.OnRead();
  op_.VerifyDone();
  EXPECT_EQ(view_.pane, "operator's note");
  EXPECT_EQ(view_.editText, "Thermometer");
}

TEST_F(MainDialogTest, AChoiceThatContainsTheListTextNamesThatSensor) {
  Connect();
  dialog_.sensorChoice = "my Inclinometer, please";
  EXPECT_EQ(dialog_.SelectedSensorState(), 1);
  dialog_.sensorChoice = "RS485 Strain";
  EXPECT_EQ(dialog_.SelectedSensorState(), 2);
  dialog_.sensorChoice = "rs485 strain";
  EXPECT_EQ(dialog_.SelectedSensorState(), 0);
  // Only the first 51 characters count.
  dialog_.sensorChoice = std::string(40, ' ') + "Inclinometer";
  EXPECT_EQ(dialog_.SelectedSensorState(), 0);
  unit_.SetRegister(reg::kEnabledSensors, 0);
  dialog_.RefreshUnitView();
  dialog_.sensorChoice = "Inclinometer";
  EXPECT_EQ(dialog_.SelectedSensorState(), -1);
}

TEST_F(MainDialogTest, OnlyAFittedStrainGaugeIsListedAndCanBeEnabled) {
  unit_.SetRegister(reg::kFittedSensors, 2);
  unit_.SetRegister(reg::kEnabledSensors, 0);
  Connect();
  EXPECT_EQ(view_.items, std::vector<std::string>{"RS485 Strain"});
  EXPECT_EQ(view_.editText, "RS485 Strain");
  op_.ExpectWindowBox("Error sensor is not enabled");
  dialog_.OnRead();
  op_.ExpectPrompt("Enter operator ID 2/3 chars", "", "ab").ExpectPrompt("Enter unit serial No", "123456-007",
                                                                          "123456-007");
  dialog_.OnEnable();
  op_.VerifyDone();
  EXPECT_EQ(UnitRegister(reg::kEnabledSensors), 2);
}

TEST_F(MainDialogTest, ReadShowsPitchAndRoll) {
  sim::SensorTruth truth = unit_.truth();
  truth.offsetA = truth.offsetB = 32768.0;
  truth.gainA = truth.gainB = 20000.0;
  unit_.SetSensorTruth(truth);
  unit_.SetTilt(30.0);
  unit_.SetRotation(90);
  Connect();
  ChooseSensor("Inclinometer");
  dialog_.OnRead();
  EXPECT_EQ(view_.pane, "Pitch   0.000000 Degrees\r\nRoll    30.000001 Degrees");
  EXPECT_EQ(view_.Shown(), kConnectedButtons);
}

TEST_F(MainDialogTest, ReadOfAnInclinometerThatNeverMeasuresSaysNoReply) {
  Connect();
  unit_.InjectFault(sim::Fault::NeverReady, sim::FaultMode::Always);
  ChooseSensor("Inclinometer");
  dialog_.OnRead();
  EXPECT_EQ(view_.pane, "No reply");
}

TEST_F(MainDialogTest, ReadShowsThePressureWithoutANewMeasurement) {
  unit_.SetAtmosphere(0.0);
  unit_.SetAppliedPressure(150.0);
  sim::SensorTruth truth = unit_.truth();
  truth.gaugeRawPerPsi = 1.0;
  truth.gaugeReferencePsi = 0.0;
  unit_.SetSensorTruth(truth);
  PutFloat(unit_, reg::kStrainGaugeOffset, 0.0f);
  PutFloat(unit_, reg::kStrainGaugeScale, 1.0f);
  unit_.PowerCycle();
  Connect();
  ChooseSensor("RS485 Strain");
  const size_t mark = Mark();
  dialog_.OnRead();
  EXPECT_EQ(view_.pane, "Pressure 150.000000 PSI");
  EXPECT_EQ(CountWritesTo(WrittenSince(mark), reg::kMeasurement), 0u);
  for (const Bytes& frame : WrittenSince(mark)) EXPECT_NE(frame[1], reg::kWriteSingleRegister);
}

TEST_F(MainDialogTest, ReadOfAPressureNeverAnsweredSaysNoReply) {
  Connect();
  DeafToReadsOf deaf(line_, peer_, reg::kPressure);
  ChooseSensor("RS485 Strain");
  dialog_.OnRead();
  EXPECT_EQ(view_.pane, "No reply");
}

TEST_F(MainDialogTest, SetModbusAddressRefusesWhatIsNoSlaveAddressBeforeWritingAnything) {
  Connect();
  view_.pane = "kept";
  // Letters read as 0; 65786 would wrap to 250.
  for (const char* typed : {"abc", "0", "248", "251", "65786"}) {
    op_.ExpectPrompt("Enter Modbus address for unit", "250", typed);
    op_.ExpectWindowBox("Modbus address must be 1 to 247, or 250\r\nNothing was written to the unit");
    const size_t mark = Mark();
    dialog_.OnSetModbusAddress();
    op_.VerifyDone();
    EXPECT_TRUE(dialog_.modbusAddressRefused) << typed;
    EXPECT_EQ(WrittenSince(mark), std::vector<Bytes>{kHandshake}) << typed;
    EXPECT_EQ(view_.pane, "kept") << typed;
  }
}

TEST_F(MainDialogTest, SetModbusAddressWritesTheEndsOfTheRangeAndTheUnitsOwnAndShowsThem) {
  Connect();
  for (const auto& [typed, address] : {std::pair{"1", 1}, std::pair{"247", 247}, std::pair{"", 250}}) {
    // The prompt closed gives its default, the unit's own address.
    if (*typed == '\0') op_.ExpectPromptClosed("Enter Modbus address for unit", "250");
    else op_.ExpectPrompt("Enter Modbus address for unit", "250", typed);
    dialog_.OnSetModbusAddress();
    op_.VerifyDone();
    EXPECT_FALSE(dialog_.modbusAddressRefused);
    EXPECT_TRUE(dialog_.unitWriteAcknowledged);
    EXPECT_EQ(UnitRegister(reg::kModbusAddress), address);
    EXPECT_NE(view_.pane.find(Format("Modbus address\t\t%d\r\n", address)), std::string::npos);
  }
}

TEST_F(MainDialogTest, ARefreshWhoseReadGotNoAnswerSaysSoInsteadOfShowingTheKeptCopy) {
  Connect();
  DeafToReadsOf deaf(line_, peer_, reg::kCalRecords);
  op_.ExpectPrompt("Enter Modbus address for unit", "250", "17");
  dialog_.OnSetModbusAddress();
  op_.VerifyDone();
  EXPECT_TRUE(dialog_.unitWriteAcknowledged);
  EXPECT_EQ(view_.pane,
            "The unit did not answer when its information was read\r\n"
            "calibration records (registers 400-419): no reply\r\n");
}

TEST_F(MainDialogTest, DevTestWritesATenthWithoutRefreshing) {
  Connect();
  view_.pane = "kept";
  const size_t mark = Mark();
  dialog_.OnDevTest();
  const std::vector<Bytes> frames = WrittenSince(mark);
  EXPECT_EQ(frames, (std::vector<Bytes>{kHandshake, kUnlock,
                                        Bytes{0xFA, 0x10, 0x00, 0x91, 0x00, 0x02, 0x04, 0x3D, 0xCC, 0xCC, 0xCD, 0x44,
                                              0x2E}}));
  EXPECT_EQ(view_.pane, "kept");
}

}  // namespace
}  // namespace endcap
