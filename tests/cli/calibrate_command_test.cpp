// endcap-cli calibrate against the simulated board on an in-memory line and the virtual clock,
// with the operator's answers piped in: the buttons pressed, the pressure prompt, the menu, the
// record file and the exit status.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli_session.h"
#include "protocol/register_map.h"
#include "protocol/register_values.h"
#include "serial/memory_device.h"
#include "sim/memory_unit_peer.h"
#include "sim/simulated_unit.h"
#include "tests/support/temp_dir.h"

namespace endcap {
namespace {

sim::UnitConfig Serialised() {
  sim::UnitConfig config;
  sim::EncodeSerial("123456-001", config.unitSerial[0], config.unitSerial[1]);
  return config;
}

class CalibrateCommandTest : public ::testing::Test {
protected:
  CalibrateCommandTest() { ports.Attach(1, line); }

  int Run(std::vector<std::string> args, const std::string& answers) {
    args.insert(args.begin(), {"--com", "1", "--drive", "C=" + home.path(), "calibrate"});
    const CliParse parse = ParseCommandLine(args);
    EXPECT_EQ(parse.outcome.kind, ParseOutcome::Kind::Run) << parse.outcome.text;
    in.str(answers);
    const CliStreams streams{in, out, err, false};
    return RunCli(parse.options, ports, clock, streams);
  }
  std::vector<std::string> RecordTexts() const {
    std::ifstream file(home.path() + "/Quorvanta/D5Status/RemoteInclinometerLog.txt");
    std::vector<std::string> texts;
    for (std::string line; std::getline(file, line);) texts.push_back(line.substr(31));
    return texts;
  }
  float FloatAt(uint16_t reg) {
    const uint16_t regs[2] = {unit.Register(reg).value_or(0), unit.Register(static_cast<uint16_t>(reg + 1)).value_or(0)};
    return static_cast<float>(RegistersToFloat(regs, 0));
  }

  VirtualClock clock;
  MemoryLine line{clock};
  MemoryPortProvider ports;
  sim::SimulatedUnit unit{clock, Serialised()};
  sim::MemoryUnitPeer peer{line, unit};
  testing::TempDir home;
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(CalibrateCommandTest, OptionsTypeIntoTheEditsBeforeTheButtons) {
  EXPECT_EQ(Run({"strain", "set", "--warm-up", "2.5", "--full-scale", "10", "--accuracy", "0.05"}, "ab\n\n"), kExitDone)
      << err.str();
  EXPECT_EQ(unit.Register(reg::kPressureWarmUp), 25);
  EXPECT_FLOAT_EQ(FloatAt(reg::kPressureFullScale), 10.0f);
  EXPECT_FLOAT_EQ(FloatAt(reg::kPressureAccuracy), 0.05f);
  EXPECT_EQ(err.str(), "Enter operator ID 2/3 chars: Enter unit serial No [123456-001]: --- Set warm up ---\n");
  // Written once the dialog has closed: the strain gauge's record always has its warm-up line.
  EXPECT_EQ(RecordTexts(), std::vector<std::string>{"Warm up period 2.5 secs"});
  EXPECT_NE(out.str().find("Pressure FS\t\t10.0 BAR\n"), std::string::npos) << out.str();
}

TEST_F(CalibrateCommandTest, ResultsThatCouldNotBeRecordedFailTheCommand) {
  const std::string record = home.path() + "/Quorvanta/D5Status/RemoteInclinometerLog.txt";
  ASSERT_TRUE(std::filesystem::create_directories(record));  // a folder where the file should be
  EXPECT_EQ(Run({"strain", "set", "--warm-up", "2.5"}, "ab\n\n"), kExitUnitFailed);
  EXPECT_EQ(err.str(),
            "Enter operator ID 2/3 chars: Enter unit serial No [123456-001]: --- Set warm up ---\n"
            "=== Error ===\nUnable to open record file SAVE_FILE\n" + record + ": Is a directory\n"
            "Press Enter for OK (end of input: OK)\n"
            "endcap-cli: calibrated, but the results were not recorded: " + record + ": Is a directory\n");
}

TEST_F(CalibrateCommandTest, PressureAboveFullScaleIsRefusedAndAskedAgainWithTheSuggestion) {
  const std::string answers =
      "ab\n\n"                                  // operator, serial
      "y\n"                                     // full scale 100.0 BAR
      "1013.25\n20\n\n7\nDruck\nPDCR\n"         // atmosphere, temperature, tester, gauge
      "\n"                                      // Set pressure to zero
      "1500\n\n"                                // refused, then OK
      "\n"                                      // the suggestion taken
      "72\n"                                    // current
      "n\n";                                    // the scale the tester never gave: rejected
  EXPECT_EQ(Run({"strain", "calibrate"}, answers), kExitUnitFailed);
  const std::string& text = err.str();
  EXPECT_NE(text.find("Set measurement pressure [1200.000]: === Remote inclinometer calibrate ===\n"
                      "Applied presure must not exceed Full scale of 1450!!\n"
                      "Press Enter for OK Set measurement pressure [1200.000]: "),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("=== Pressure Cal. ===\nCalibration failed!!!!!!\nPress Enter for OK (end of input: OK)\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("endcap-cli: stopped: No to An Scale value of inf is excessive Accept it as OK?\n"), std::string::npos)
      << text;
  EXPECT_EQ(unit.Register(reg::kUnitCurrent), 72);
}

TEST_F(CalibrateCommandTest, ReadPrintsTheReadingOnStdout) {
  unit.SetTilt(0.0);
  EXPECT_EQ(Run({"inclinometer", "read"}, "ab\n\n"), kExitDone) << err.str();
  EXPECT_EQ(out.str().substr(0, 6), "Pitch ");
  EXPECT_NE(out.str().find(" Degrees\nRoll "), std::string::npos) << out.str();
  EXPECT_TRUE(RecordTexts().empty());
}

TEST_F(CalibrateCommandTest, ASensorThatIsNotEnabledDoesNotStart) {
  unit.SetRegister(reg::kEnabledSensors, reg::kSensorInclinometer);
  EXPECT_EQ(Run({"strain", "read"}, ""), kExitUnitFailed);
  EXPECT_EQ(err.str(),
            "=== Remote inclinometer calibrate ===\nError sensor is not enabled\n"
            "Press Enter for OK (end of input: OK)\nendcap-cli: the calibration did not start\n");
}

TEST_F(CalibrateCommandTest, WithoutActionsTheButtonsAreAMenuUntilTheEndOfInput) {
  EXPECT_EQ(Run({"inclinometer"}, "ab\n\nsamples 16\nwarm-up 3\nbogus\n4\n"), kExitDone) << err.str();
  EXPECT_EQ(unit.Register(reg::kInclinometerSamples), 16);
  EXPECT_EQ(unit.Register(reg::kInclinometerWarmUp), 30);
  const std::string menu =
      "=== Calibration ===\n"
      "  Samples [10]  (samples VALUE)\n"
      "  Warm up (secs) [2.0]  (warm-up VALUE)\n"
      "1  calibrate\tCalibrate\n"
      "2  confirm\tConfirm calibration\n"
      "3  read\tRead Inclinometer\n"
      "4  set\tSet samples and warm up\n"
      "5  exit\tExit\n"
      "Button: ";
  EXPECT_EQ(err.str().substr(0, 60), ("Enter operator ID 2/3 chars: Enter unit serial No [123456-001]: " + menu).substr(0, 60));
  EXPECT_NE(err.str().find(menu), std::string::npos);
  EXPECT_NE(err.str().find("--- Set samples and warm up ---\n"), std::string::npos);
  EXPECT_NE(err.str().find("(end of input: Exit)\n"), std::string::npos);
}

TEST(CalibrateCommandLine, OptionsAndActionsOfTheOtherSensorAreUsageErrors) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"calibrate"}, {"calibrate", "inclinometer", "--full-scale", "10"},
        {"calibrate", "strain", "--samples", "4"}, {"calibrate", "inclinometer", "zero"},
        {"calibrate", "inclinometer", "--samples", "1.5"}, {"calibrate", "strain", "--accuracy", "x"}}) {
    const CliParse parse = ParseCommandLine(args);
    EXPECT_EQ(parse.outcome.kind, ParseOutcome::Kind::UsageError) << args.back();
  }
}

}  // namespace
}  // namespace endcap
