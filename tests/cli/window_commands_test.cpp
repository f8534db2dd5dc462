// The commands that run the main window's steps (info, read, enable, disable, set-address,
// disconnect), against the simulated board on an in-memory line and the virtual clock, with the
// operator's answers piped in: what reaches the unit, stdout, stderr and the exit status.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>

#include "cli/cli_session.h"
#include "console/display_text.h"
#include "protocol/register_map.h"
#include "protocol/register_values.h"
#include "serial/memory_device.h"
#include "serial/text_format.h"
#include "sim/memory_unit_peer.h"
#include "sim/simulated_unit.h"
#include "tests/integration/pty_pair.h"
#include "tests/support/frame_text.h"
#include "tests/support/temp_dir.h"

namespace endcap {
namespace {

const std::string kIdentity =
    "Overall unit serial\t123456-001\r\n"
    "Firmware version\t1.02a\r\n"
    "Modbus address\t\t250\r\n"
    "Overall unit current\t0 ma\r\n\r\n"
    "PCB\t\t\t6120-046-03\r\n"
    "Serial\t\t\t000000-000\r\n"
    "ID No\t\t\t01:0000181586090\r\n\r\n";
const std::string kInclinometer =
    "Inclinometer FS\t\t90.000 degrees\r\n"
    "Inclinometer accuracy\t0.100%\r\n"
    "Inclinometer warm-up\t2.00 secs\r\n"
    "Inclinometer samples \t10\r\n\r\n";
const std::string kPressure =
    "Pressure sensor SerNo\t4051327\r\n"
    "Pressure FS\t\t100.0 BAR\r\n"
    "Pressure accuracy\t0.10 %\r\n"
    "Pressure warm-up\t1.00 secs\r\n\r\n";
const std::string kFactoryCal = "Factory cal\t\tNot calibrated\r\n";
const std::string kInclinometerCal = "Inclinometer cal\tNot calibrated\r\n";
const std::string kPressureCal = "Pressure cal\t\tNot calibrated\r\n";
const std::string kBothSensors = kIdentity + kInclinometer + kPressure + kFactoryCal + kInclinometerCal + kPressureCal;
const std::string kInclinometerOnly = kIdentity + kInclinometer + kFactoryCal + kInclinometerCal;

const std::string kWindowCaption = "=== Remote inclinometer calibrate ===\n";
// An OK box waits for Enter; these runs have no answer left for it.
const std::string kOkAtEnd = "Press Enter for OK (end of input: OK)\n";
const std::string kOperatorPrompt = "Enter operator ID 2/3 chars: ";
const std::string kSerialPrompt = "Enter unit serial No [123456-001]: ";

sim::UnitConfig Config(uint16_t fitted = reg::kSensorInclinometer | reg::kSensorStrainGauge) {
  sim::UnitConfig config;
  config.fittedSensors = fitted;
  EXPECT_TRUE(sim::EncodeSerial("123456-001", config.unitSerial[0], config.unitSerial[1]));
  return config;
}

class WindowCommandsTest : public ::testing::Test {
protected:
  explicit WindowCommandsTest(sim::UnitConfig config = Config()) : unit(clock, config) { ports.Attach(1, line); }

  int Run(std::vector<std::string> args, const std::string& answers = "") {
    args.insert(args.begin(), {"--com", "1", "--drive", "C=" + home.path()});
    const CliParse parse = ParseCommandLine(args);
    EXPECT_EQ(parse.outcome.kind, ParseOutcome::Kind::Run) << parse.outcome.text;
    in.str(answers);
    const CliStreams streams{in, out, err, false};
    return RunCli(parse.options, ports, clock, streams);
  }

  uint16_t Register(uint16_t r) { return unit.Register(r).value_or(0xDEAD); }
  void SetEnabled(uint16_t mask) { ASSERT_TRUE(unit.SetRegister(reg::kEnabledSensors, mask)); }

  VirtualClock clock;
  MemoryLine line{clock};
  MemoryPortProvider ports;
  sim::SimulatedUnit unit;
  sim::MemoryUnitPeer peer{line, unit};
  testing::TempDir home;
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(WindowCommandsTest, InfoPrintsTheInformationText) {
  EXPECT_EQ(Run({"info"}), kExitDone);
  EXPECT_EQ(out.str(), ToDisplayText(kBothSensors));
  EXPECT_EQ(err.str(), "");
}

TEST_F(WindowCommandsTest, InfoCreatesTheStatusFolder) {
  EXPECT_EQ(Run({"info"}), kExitDone);
  std::ofstream probe(home.path() + "/Quorvanta/D5Status/probe");
  EXPECT_TRUE(probe.good());
}

TEST_F(WindowCommandsTest, AUnitThatDoesNotAnswerFailsTheHandshake) {
  unit.InjectFault(sim::Fault::NoReply, sim::FaultMode::Always);
  EXPECT_EQ(Run({"info"}), kExitUnitFailed);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), kWindowCaption +
                           "Failed to connect to the External inclinometer\nHas the board been programmed??\n" + kOkAtEnd +
                           "endcap-cli: the unit did not answer as expected: no reply\n");
}

TEST_F(WindowCommandsTest, AHandshakeRefusedSaysTheExceptionCode) {
  unit.InjectFault(sim::Fault::ExceptionReply, sim::FaultMode::Always);
  EXPECT_EQ(Run({"info"}), kExitUnitFailed);
  EXPECT_EQ(err.str(), kWindowCaption +
                           "Failed to connect to the External inclinometer\nHas the board been programmed??\n" + kOkAtEnd +
                           "endcap-cli: the unit did not answer as expected: exception code 4\n");
}

TEST_F(WindowCommandsTest, ReadInclinometerPrintsPitchAndRoll) {
  unit.SetTilt(10.0);
  EXPECT_EQ(Run({"read", "inclinometer"}), kExitDone);
  uint16_t r[4];
  for (uint16_t k = 0; k < 4; ++k) r[k] = Register(static_cast<uint16_t>(reg::kMeasurement + k));
  const double pitch = RegistersToFloat(r, 0) * 57.29577951471995;
  const double roll = RegistersToFloat(r, 2) * 57.29577951471995;
  // The board is not calibrated: it reads about the tilt, not exactly.
  EXPECT_NEAR(pitch, 10.0, 1.0);
  EXPECT_NEAR(roll, 0.0, 1.0);
  EXPECT_EQ(out.str(), Format("Pitch   %f Degrees\nRoll    %f Degrees\n", pitch, roll));
  EXPECT_EQ(err.str(), "");
}

TEST_F(WindowCommandsTest, ReadStrainPrintsThePressure) {
  unit.SetAppliedPressure(100.0);
  EXPECT_EQ(Run({"read", "strain"}), kExitDone);
  uint16_t r[2] = {Register(reg::kPressure), Register(reg::kPressure + 1)};
  const double psi = RegistersToFloat(r, 0);
  EXPECT_NEAR(psi, 114.7, 10.0);
  EXPECT_EQ(out.str(), Format("Pressure %f PSI\n", psi));
}

TEST_F(WindowCommandsTest, ReadOfADisabledSensorIsRefused) {
  SetEnabled(reg::kSensorInclinometer);
  EXPECT_EQ(Run({"read", "strain"}), kExitUnitFailed);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), kWindowCaption + "Error sensor is not enabled\n" + kOkAtEnd + "endcap-cli: no reading\n");
}

TEST_F(WindowCommandsTest, ReadOfAUnitThatNeverBecomesReadyFails) {
  unit.InjectFault(sim::Fault::NeverReady, sim::FaultMode::Always);
  EXPECT_EQ(Run({"read", "inclinometer"}), kExitUnitFailed);
  // As the window shows it, with the reason beside it.
  EXPECT_EQ(out.str(), "No reply\n");
  EXPECT_EQ(err.str(), "endcap-cli: no reading: the measurement did not become ready\n");
}

TEST_F(WindowCommandsTest, ReadOfAGaugeThatNeverBecomesReadyFailsAfterItsWait) {
  unit.InjectFault(sim::Fault::NeverReady, sim::FaultMode::Always);
  EXPECT_EQ(Run({"read", "strain"}), kExitUnitFailed);
  // The window shows the not-ready value the wait ended with; the command says it is none.
  EXPECT_EQ(out.str(), "Pressure -1000.000000 PSI\n");
  EXPECT_EQ(err.str(), "endcap-cli: no reading: the gauge gave no ready value within 10 s\n");
}

// Sees each request before the simulated unit does, so that a test can break the exchange it
// picks out (a fault on the unit, or the line unplugged).
class RequestHook : public LinePeer {
public:
  RequestHook(MemoryLine& line, LinePeer& unit, std::function<void(const std::string& request)> hook)
      : line_(line), unit_(unit), hook_(std::move(hook)) {
    line_.SetPeer(this);
  }
  ~RequestHook() override { line_.SetPeer(&unit_); }
  void OnHostBytes(const uint8_t* data, size_t size) override {
    hook_(testing::HexText(data, size));
    unit_.OnHostBytes(data, size);
  }

private:
  MemoryLine& line_;
  LinePeer& unit_;
  std::function<void(const std::string&)> hook_;
};

bool Starts(const std::string& request, const char* head) { return request.compare(0, std::strlen(head), head) == 0; }

TEST_F(WindowCommandsTest, InfoFailsNamingEachIdentityReadThatFailed) {
  const struct {
    const char* read;  // the request's first bytes
    const char* named;
  } rows[] = {
      {"fa 04 00 00 00 17", "identity (registers 0-22): bad CRC"},
      {"fa 04 00 80 00 0c", "settings (registers 128-139): bad CRC"},
      {"fa 04 00 8c 00 05", "pressure settings (registers 140-144): bad CRC"},
      {"fa 04 01 90 00 14", "calibration records (registers 400-419): bad CRC"},
  };
  for (const auto& row : rows) {
    RequestHook hook(line, peer, [&](const std::string& request) {
      if (Starts(request, row.read)) unit.InjectFault(sim::Fault::BadCrc, sim::FaultMode::Once);
    });
    out.str("");
    err.str("");
    EXPECT_EQ(Run({"info"}), kExitUnitFailed) << row.read;
    EXPECT_EQ(out.str(), "") << row.read;
    EXPECT_EQ(err.str(), std::string("endcap-cli: the unit's information could not be read: ") + row.named + "\n");
  }
}

TEST_F(WindowCommandsTest, EnableWhoseRereadFailsSaysTheSensorWasEnabled) {
  SetEnabled(reg::kSensorInclinometer);
  bool written = false;
  RequestHook hook(line, peer, [&](const std::string& request) {
    if (Starts(request, "fa 10 00 00 00 01")) written = true;
    else if (written && Starts(request, "fa 04 00 00 00 17")) unit.InjectFault(sim::Fault::NoReply, sim::FaultMode::Once);
  });
  EXPECT_EQ(Run({"enable", "strain"}, "ab\n\n"), kExitUnitFailed);
  EXPECT_EQ(Register(reg::kEnabledSensors), reg::kSensorInclinometer | reg::kSensorStrainGauge);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), kOperatorPrompt + kSerialPrompt +
                           "endcap-cli: the sensor was enabled, but the unit's information could not be read back: "
                           "identity (registers 0-22): no reply\n");
}

TEST_F(WindowCommandsTest, SetAddressWhoseRereadFailsSaysTheAddressWasWritten) {
  bool written = false;
  RequestHook hook(line, peer, [&](const std::string& request) {
    if (Starts(request, "fa 10 00 0c 00 01")) written = true;
    else if (written && Starts(request, "fa 04 01 90")) unit.InjectFault(sim::Fault::ExceptionReply, sim::FaultMode::Once);
  });
  EXPECT_EQ(Run({"set-address", "17"}), kExitUnitFailed);
  EXPECT_EQ(Register(reg::kModbusAddress), 17);
  EXPECT_EQ(err.str(), "endcap-cli: Modbus address 17 was written, but the unit's information could not be read back: "
                       "calibration records (registers 400-419): exception code 4\n");
}

TEST_F(WindowCommandsTest, AWriteTheUnitRefusedIsReportedAsNotDone) {
  RequestHook hook(line, peer, [&](const std::string& request) {
    if (Starts(request, "fa 10 00 0c 00 01")) unit.InjectFault(sim::Fault::ExceptionReply, sim::FaultMode::Once);
  });
  EXPECT_EQ(Run({"set-address", "17"}), kExitUnitFailed);
  EXPECT_EQ(Register(reg::kModbusAddress), 250);
  EXPECT_EQ(err.str(), "endcap-cli: the unit did not take Modbus address 17\n");
}

TEST_F(WindowCommandsTest, ADeviceUnpluggedDuringAReadSaysSo) {
  RequestHook hook(line, peer, [&](const std::string& request) {
    if (Starts(request, "fa 04 01 30")) line.HangUp();
  });
  const uint64_t before = clock.ElapsedMs();
  EXPECT_EQ(Run({"read", "inclinometer"}), kExitUnitFailed);
  EXPECT_EQ(out.str(), "No reply\n");
  EXPECT_EQ(err.str(), "endcap-cli: COM1: the device was unplugged\n");
  // Connect, then the read up to the first poll: no waiting for the poll's time limit.
  EXPECT_LT(clock.ElapsedMs() - before, 3000u);
}

class InclinometerOnlyTest : public WindowCommandsTest {
protected:
  InclinometerOnlyTest() : WindowCommandsTest(Config(reg::kSensorInclinometer)) {}
};

TEST_F(InclinometerOnlyTest, ASensorThatIsNotFittedCannotBeChosen) {
  EXPECT_EQ(Run({"enable", "strain"}), kExitUnitFailed);
  EXPECT_EQ(err.str(), "endcap-cli: the unit has no strain gauge fitted\n");
  EXPECT_EQ(Register(reg::kEnabledSensors), reg::kSensorInclinometer);
}

TEST_F(InclinometerOnlyTest, InfoShowsOnlyTheInclinometer) {
  EXPECT_EQ(Run({"info"}), kExitDone);
  EXPECT_EQ(out.str(), ToDisplayText(kInclinometerOnly));
}

TEST_F(WindowCommandsTest, EnableStrainAsksForOperatorAndSerialThenEnables) {
  SetEnabled(reg::kSensorInclinometer);
  EXPECT_EQ(Run({"enable", "strain"}, "ab\n\n"), kExitDone);
  EXPECT_EQ(Register(reg::kEnabledSensors), reg::kSensorInclinometer | reg::kSensorStrainGauge);
  EXPECT_EQ(out.str(), ToDisplayText(kBothSensors));
  EXPECT_EQ(err.str(), kOperatorPrompt + kSerialPrompt);
}

TEST_F(WindowCommandsTest, EnableStopsWhenTheSuppliesAreOutOfLimits) {
  SetEnabled(reg::kSensorInclinometer);
  unit.SetSupply(sim::Supply::Board3V3, 2.9);
  EXPECT_EQ(Run({"enable", "strain"}, "ab\n\n"), kExitUnitFailed);
  EXPECT_EQ(Register(reg::kEnabledSensors), reg::kSensorInclinometer);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), kOperatorPrompt + kSerialPrompt + kWindowCaption +
                           "Warning power supply voltages!!\n" + kOkAtEnd + "endcap-cli: the sensor was not enabled\n");
}

TEST_F(WindowCommandsTest, EnableStopsOnAnOperatorIdOfTheWrongLength) {
  SetEnabled(reg::kSensorInclinometer);
  EXPECT_EQ(Run({"enable", "strain"}, "abcd\n"), kExitUnitFailed);
  EXPECT_EQ(Register(reg::kEnabledSensors), reg::kSensorInclinometer);
  EXPECT_EQ(err.str(), kOperatorPrompt + kWindowCaption + "Operator ID must be 2 or 3 characters\n" + kOkAtEnd +
                           "endcap-cli: the sensor was not enabled\n");
}

TEST_F(WindowCommandsTest, EnableWithAnotherSerialAsksAndTakesNoAtTheEndOfInput) {
  SetEnabled(reg::kSensorInclinometer);
  EXPECT_EQ(Run({"enable", "strain"}, "ab\n654321-002\n"), kExitUnitFailed);
  EXPECT_EQ(Register(reg::kEnabledSensors), reg::kSensorInclinometer);
  EXPECT_EQ(Register(reg::kUnitSerial), 0x1234);
  EXPECT_EQ(err.str(), kOperatorPrompt + kSerialPrompt +
                           "=== Error ===\n"
                           "Unit serial stored in board 123456-001 does not match entered serial 654321-002!!\n"
                           "Do you wish to replace serial number stored in the board\n"
                           "WARNING this will invalidate previous calibration!\n"
                           "Yes or no? (y/n) (end of input: No)\n"
                           "endcap-cli: stopped: No to Unit serial stored in board 123456-001 does not match entered "
                           "serial 654321-002!! Do you wish to replace serial number stored in the board WARNING this "
                           "will invalidate previous calibration!\n");
}

TEST_F(WindowCommandsTest, EnableWithAnotherSerialAnsweredYesStoresItAndStops) {
  SetEnabled(reg::kSensorInclinometer);
  EXPECT_EQ(Run({"enable", "strain"}, "ab\n654321-002\ny\n"), kExitUnitFailed);
  EXPECT_EQ(Register(reg::kEnabledSensors), reg::kSensorInclinometer);
  EXPECT_EQ(Register(reg::kUnitSerial), 0x6543);
  EXPECT_EQ(Register(reg::kUnitSerial + 1), 0x2102);
}

TEST_F(WindowCommandsTest, EnableOfAnEnabledSensorSaysSoAndSucceeds) {
  EXPECT_EQ(Run({"enable", "inclinometer"}), kExitDone);
  EXPECT_EQ(err.str(), kWindowCaption + "Sensor is already enabled!!\n" + kOkAtEnd);
  EXPECT_EQ(out.str(), ToDisplayText(kBothSensors));
}

TEST_F(WindowCommandsTest, DisableInclinometer) {
  EXPECT_EQ(Run({"disable", "inclinometer"}, "ab\n\n"), kExitDone);
  EXPECT_EQ(Register(reg::kEnabledSensors), reg::kSensorStrainGauge);
  EXPECT_EQ(out.str(), ToDisplayText(kIdentity + kPressure + kFactoryCal + kPressureCal));
}

TEST_F(WindowCommandsTest, DisableOfADisabledSensorSaysSoAndSucceeds) {
  SetEnabled(reg::kSensorInclinometer);
  EXPECT_EQ(Run({"disable", "strain"}), kExitDone);
  EXPECT_EQ(err.str(), kWindowCaption + "Sensor is already disabled!!\n" + kOkAtEnd);
  EXPECT_EQ(out.str(), ToDisplayText(kInclinometerOnly));
}

TEST_F(WindowCommandsTest, SetAddressFromTheCommandLineAsksNothing) {
  EXPECT_EQ(Run({"set-address", "0x11"}, "99\n"), kExitDone);
  EXPECT_EQ(Register(reg::kModbusAddress), 17);
  EXPECT_EQ(err.str(), "");
  std::string expected = kBothSensors;
  expected.replace(expected.find("\t\t250"), 5, "\t\t17");
  EXPECT_EQ(out.str(), ToDisplayText(expected));
}

TEST_F(WindowCommandsTest, SetAddressAsksWhenNoneIsGiven) {
  EXPECT_EQ(Run({"set-address"}, "33\n"), kExitDone);
  EXPECT_EQ(Register(reg::kModbusAddress), 33);
  EXPECT_EQ(err.str(), "Enter Modbus address for unit [250]: ");
}

TEST_F(WindowCommandsTest, SetAddressRefusesAnAddressOutsideTheRangeWithTheRange) {
  ASSERT_TRUE(unit.SetRegister(reg::kModbusAddress, 9));
  EXPECT_EQ(Run({"set-address"}, "300\n"), kExitUnitFailed);
  EXPECT_EQ(Register(reg::kModbusAddress), 9);
  EXPECT_EQ(err.str(), "Enter Modbus address for unit [250]: " + kWindowCaption +
                           "Modbus address must be 1 to 247, or 250\nNothing was written to the unit\n" + kOkAtEnd +
                           "endcap-cli: Modbus address 300 was not written\n");
  EXPECT_EQ(out.str(), "");
}

TEST_F(WindowCommandsTest, DisconnectReleasesTheUnit) {
  const std::string trace = home.path() + "/trace.txt";
  EXPECT_EQ(Run({"--trace", trace, "disconnect"}), kExitDone);
  EXPECT_EQ(out.str(), "Disconnected\n");
  std::ifstream file(trace);
  std::vector<std::string> sent;
  for (std::string line; std::getline(file, line);)
    if (line.find(" >> ") != std::string::npos) sent.push_back(line.substr(line.find(" >> ") + 4));
  ASSERT_EQ(sent.size(), 7u);
  // The handshake and the four reads of the unit's information, then the unlock and function 66.
  EXPECT_EQ(sent[0], "fa 04 00 02 00 03 04 40");
  EXPECT_EQ(sent[5].substr(0, 11), "fa 41 16 c3");
  EXPECT_EQ(sent[6].substr(0, 11), "fa 42 00 00");
  EXPECT_FALSE(unit.unlocked());
}

}  // namespace
}  // namespace endcap
