// endcap-cli calibrate inclinometer calibrate confirm against the standalone simulated board on
// a pseudo-terminal, in real time: an operator script answers each box and prompt as it comes,
// moving the simulated fixture through the simulator's stdin commands before pressing Enter;
// or a script whose answers end before the fixture was moved.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "protocol/register_values.h"
#include "tests/cli/conversation.h"
#include "tests/cli/run_program.h"
#include "tests/support/simulator_child.h"
#include "tests/support/temp_dir.h"

namespace endcap {
namespace {

constexpr int kReadyTimeoutMs = 10000;
constexpr int kAnswerTimeoutMs = 5000;
// The longest the program may stay silent: one measurement with its polls.
constexpr int kSilenceTimeoutMs = 30000;

const std::string kBoxEnd = "\nPress Enter for OK ";

// One thing the operator sees, what they then do at the bench, and what they type.
struct Step {
  std::string shown;  // a box's text with its OK line, or a prompt
  std::vector<std::string> bench;
  std::string typed;
  bool answered = true;  // false: answered on the command line, shown with its answer
};

Step Box(const std::string& text, std::vector<std::string> bench = {}) { return {text + kBoxEnd, std::move(bench), ""}; }
Step Prompt(const std::string& prompt, const std::string& typed) { return {prompt, {}, typed}; }
Step Given(const std::string& prompt, const std::string& answer) { return {prompt + answer + "\n", {}, "", false}; }

const std::vector<std::string> kGivenAnswers = {"--operator", "ab", "--unit-serial", "123456-007", "--current", "72"};

class CalibrateEndToEndTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(sim.Start({ENDCAP_UNIT_SIM, "--unit-serial", "123456-007"}, kReadyTimeoutMs)) << sim.why();
    device = sim.device();
  }
  void TearDown() override { sim.Stop(); }

  std::string Control(const std::string& command) { return sim.Control(command, kAnswerTimeoutMs); }

  // Each step in order: once its text has appeared after the last one, the bench moves and
  // the answer is typed.
  std::string Respond(const std::string& err) {
    std::string typed;
    while (next < script.size()) {
      const Step& step = script[next];
      const size_t at = err.find(step.shown, seen);
      if (at == std::string::npos) break;
      for (const std::string& command : step.bench) EXPECT_EQ(Control(command).substr(0, 2), "ok") << command;
      if (step.answered) typed += step.typed + "\n";
      seen = at + step.shown.size();
      ++next;
    }
    return typed;
  }

  std::vector<std::string> RecordTexts() const {
    std::ifstream in(home.path() + "/Quorvanta/D5Status/RemoteInclinometerLog.txt");
    std::vector<std::string> texts;
    // Each line: operator, serial, time, date, then the text.
    for (std::string line; std::getline(in, line);) texts.push_back(line.substr(std::string("AB 123456-007 hh:mm dd/mm/yyyy ").size()));
    return texts;
  }

  // The calibration on the fixture, answered up to its "Calibration successful"; the operator
  // ID, serial and current typed, or given on the command line.
  void AddCalibrationSteps(bool given = false) {
    const auto answer = given ? Given : Prompt;
    script = {answer("Enter operator ID 2/3 chars: ", "ab"),
              given ? Given("Enter unit serial No [123456-007]: ", "123456-007")
                    : Prompt("Enter unit serial No [123456-007]: ", ""),
              Box("Mount the end-cap with 0 pitch and 0 roll\nUse the reference sensors to confirm this",
                  {"tilt 0", "rotation 0"})};
    for (int k = 0; k < 4; ++k)
      script.push_back(Box("Position the end cap at the " + std::to_string(90 * k) + " degrees position",
                           {"rotation " + std::to_string(90 * k)}));
    script.push_back(
        Box("Mount the end-cap with approx +10 deg pitch and 0 roll\nUse the reference sensors to confirm this",
            {"tilt 10", "rotation 0"}));
    script.push_back(Prompt("Enter exact pitch in degrees [10.0]: ", "10.0"));
    for (int k = 0; k < 4; ++k)
      script.push_back(Box("Position the end cap at the " + std::to_string(90 * k) + " degrees position",
                           {"rotation " + std::to_string(90 * k)}));
    script.push_back(answer("Enter current drawn in mA: ", "72"));
    script.push_back(Box("Calibration successful"));
  }

  std::vector<std::string> Command() const {
    return {ENDCAP_CLI, "--device", device, "--drive", "C=" + home.path(), "calibrate", "inclinometer", "calibrate",
            "confirm"};
  }

  testing::SimulatorChild sim;
  testing::TempDir home;
  std::string device;
  std::vector<Step> script;
  size_t next = 0;
  size_t seen = 0;
};

TEST_F(CalibrateEndToEndTest, CalibrationThenCheckOnTheFixtureWithTheAnswersGivenPassesAndIsRecorded) {
  AddCalibrationSteps(true);
  const char* sets[2][2] = {{"first", "5"}, {"second", "45"}};
  for (const auto& set : sets) {
    script.push_back(Box(std::string("Set End-Cap to ") + set[0] + " pitch angle (approx " + set[1] + " degrees)",
                         {std::string("tilt ") + set[1], "rotation 0"}));
    script.push_back(Prompt(std::string("Enter exact pitch in degrees [") + set[1] + ".0]: ", ""));
    for (int k = 0; k < 4; ++k)
      script.push_back(Box("Allign bow to " + std::to_string(90 * k) + " degrees", {"rotation " + std::to_string(90 * k)}));
  }
  script.push_back(Box("Set End-Cap to level\nAllign bow to zero degrees", {"tilt 0", "rotation 0"}));
  // The summary's last position, then its OK.
  script.push_back(Box("  PASS"));

  std::vector<std::string> command = Command();
  command.insert(command.end(), kGivenAnswers.begin(), kGivenAnswers.end());
  const testing::ProgramResult result =
      testing::Converse(command, [this](const std::string& err) { return Respond(err); }, kSilenceTimeoutMs);
  EXPECT_EQ(next, script.size()) << result.err;
  EXPECT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_EQ(result.err.find("FAIL"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("=== Results ===\nPitch 5.000  Roll 0 Reads Pitch="), std::string::npos) << result.err;
  EXPECT_NE(result.out.find("Inclinometer cal\t"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("  AB@\n"), std::string::npos) << result.out;

  const std::vector<std::string> texts = RecordTexts();
  ASSERT_EQ(texts.size(), 13u);
  EXPECT_EQ(texts[0], "External digital inclinometer calibrated ");
  EXPECT_EQ(texts[1], "Current 72 mA");
  EXPECT_EQ(texts[2], "Warm up 2 seconds");
  EXPECT_EQ(texts[3], "External digital  inclinometer calibration checked");
  EXPECT_EQ(texts[4], "Pitch 0  Roll 0 Reads Pitch 0.000 Roll 0.000");
  EXPECT_EQ(texts[5].substr(0, 31), "Pitch 5.000  Roll 0 Reads Pitch");

  // The coefficients the unit now holds are its sensors' (simulator defaults: offsets 32905 and
  // 32641, gains 20480 and 19872 counts).
  std::istringstream dump(Control("dump 120 8"));
  std::string word;
  dump >> word;
  uint16_t regs[8];
  for (uint16_t& reg : regs) {
    dump >> word;
    reg = static_cast<uint16_t>(std::stoul(word.substr(word.find('=') + 1), nullptr, 16));
  }
  const double truth[4] = {32905.0, 20480.0, 32641.0, 19872.0};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(RegistersToFloat(regs, 2 * i), truth[i], 2.0) << i;
}

// SIGTERM while the check waits for the operator: the calibration, completed and stamped before
// it, is in the record file; the check is not, and the command says that it was stopped.
TEST_F(CalibrateEndToEndTest, AStopSignalDuringTheCheckRecordsTheCalibrationBeforeTheProgramEnds) {
  AddCalibrationSteps();
  pid_t cli = -1;
  bool signalled = false;
  const testing::ProgramResult result = testing::Converse(
      Command(),
      [&](const std::string& err) {
        std::string typed = Respond(err);
        if (!signalled && next == script.size() &&
            err.find("Set End-Cap to first pitch angle (approx 5 degrees)" + kBoxEnd, seen) != std::string::npos) {
          signalled = true;
          ::kill(cli, SIGTERM);
        }
        return typed;
      },
      kSilenceTimeoutMs, &cli);
  EXPECT_TRUE(signalled) << result.err;
  EXPECT_EQ(result.exitStatus, 128 + SIGTERM) << result.err;
  const std::string said = "endcap-cli: stopped by SIGTERM; what was completed before it is recorded\n";
  EXPECT_EQ(result.err.substr(result.err.size() - std::min(result.err.size(), said.size())), said) << result.err;
  EXPECT_EQ(RecordTexts(),
            (std::vector<std::string>{"External digital inclinometer calibrated ", "Current 72 mA",
                                      "Warm up 2 seconds"}));
}

// Answers that end before the fixture was moved to 90 degrees: the calibration stops there, with
// the unit's record erased as the calibration's first step, and nothing measured after it.
TEST_F(CalibrateEndToEndTest, InputEndingAtAFixtureBoxStopsThereWithNothingWritten) {
  const std::string coefficients = Control("dump 120 8");
  ASSERT_EQ(Control("set 404 1").substr(0, 2), "ok");
  std::vector<std::string> command = Command();
  command.insert(command.end(), kGivenAnswers.begin(), kGivenAnswers.end());
  const testing::ProgramResult result = testing::RunProgram(command, "\n\n");
  EXPECT_EQ(result.exitStatus, 1) << result.err;
  const std::string stopped = "=== Remote inclinometer calibrate ===\nPosition the end cap at the 90 degrees position" +
                              kBoxEnd + "(end of input: stopped)\n";
  EXPECT_NE(result.err.find(stopped), std::string::npos) << result.err;
  const std::string said = "endcap-cli: input ended at: Position the end cap at the 90 degrees position\n";
  EXPECT_EQ(result.err.substr(result.err.size() - std::min(result.err.size(), said.size())), said) << result.err;
  EXPECT_EQ(result.err.find("Set End-Cap"), std::string::npos) << result.err;
  EXPECT_EQ(Control("dump 120 8"), coefficients);
  EXPECT_EQ(Control("dump 404 1"), "ok 404=0xFFFF");
  EXPECT_EQ(RecordTexts(), std::vector<std::string>{});
}

}  // namespace
}  // namespace endcap
