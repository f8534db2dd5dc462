// endcap-cli against the standalone simulated board on a pseudo-terminal, in real time: each
// exchange costs about 0.2 s, so every test here keeps its exchanges few.

#include <gtest/gtest.h>

#include "tests/support/simulator_child.h"
#include "tests/support/temp_dir.h"
#include "tests/cli/run_program.h"
#include "tests/integration/pty_pair.h"

namespace endcap {
namespace {

using testing::ProgramResult;
using testing::RunProgram;

constexpr int kReadyTimeoutMs = 10000;
constexpr int kAnswerTimeoutMs = 5000;

class CliEndToEndTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(sim.Start({ENDCAP_UNIT_SIM, "--unit-serial", "123456-001"}, kReadyTimeoutMs)) << sim.why();
    device = sim.device();
  }
  void TearDown() override { sim.Stop(); }

  std::string Control(const std::string& command) { return sim.Control(command, kAnswerTimeoutMs); }

  ProgramResult Cli(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), {ENDCAP_CLI, "--device", device, "--drive", "C=" + home.path()});
    return RunProgram(args, input);
  }

  testing::SimulatorChild sim;
  testing::TempDir home;
  std::string device;
};

TEST_F(CliEndToEndTest, RegistersReadPrintsTheFirmwareVersionBlock) {
  const ProgramResult result = Cli({"registers", "read", "2", "3"});
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.out, "2\t1\t0x0001\n3\t2\t0x0002\n4\t97\t0x0061\n");
  EXPECT_EQ(result.err, "");
}

TEST_F(CliEndToEndTest, TraceShowsTheRequestAndTheReplyOnStderr) {
  const ProgramResult result = Cli({"--trace", "-", "registers", "read", "2", "3"});
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_NE(result.err.find(" >> fa 04 00 02 00 03 04 40\n"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find(" << fa 04 06 00 01 00 02 00 61 4a 4f\n"), std::string::npos) << result.err;
}

TEST_F(CliEndToEndTest, InfoPrintsTheInformationText) {
  const ProgramResult result = Cli({"info"});
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.out,
            "Overall unit serial\t123456-001\n"
            "Firmware version\t1.02a\n"
            "Modbus address\t\t250\n"
            "Overall unit current\t0 ma\n\n"
            "PCB\t\t\t6120-046-03\n"
            "Serial\t\t\t000000-000\n"
            "ID No\t\t\t01:0000181586090\n\n"
            "Inclinometer FS\t\t90.000 degrees\n"
            "Inclinometer accuracy\t0.100%\n"
            "Inclinometer warm-up\t2.00 secs\n"
            "Inclinometer samples \t10\n\n"
            "Pressure sensor SerNo\t4051327\n"
            "Pressure FS\t\t100.0 BAR\n"
            "Pressure accuracy\t0.10 %\n"
            "Pressure warm-up\t1.00 secs\n\n"
            "Factory cal\t\tNot calibrated\n"
            "Inclinometer cal\tNot calibrated\n"
            "Pressure cal\t\tNot calibrated\n");
  EXPECT_EQ(result.err, "");
}

TEST_F(CliEndToEndTest, AClosedDeviceExitsOneWithTheReason) {
  ASSERT_EQ(Control("hangup"), "ok hangup");
  const ProgramResult result = Cli({"registers", "read", "2", "3"});
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "endcap-cli: COM1 could not be opened: " + device + ": No such file or directory\n");
}

TEST_F(CliEndToEndTest, EnableStrainWithPipedAnswers) {
  ASSERT_EQ(Control("set 0 1"), "ok 0=0x0001");
  const ProgramResult result = Cli({"enable", "strain"}, "ab\n\n");
  EXPECT_EQ(result.exitStatus, 0);
  // Piped answers are echoed after their prompts.
  EXPECT_EQ(result.err, "Enter operator ID 2/3 chars: ab\nEnter unit serial No [123456-001]: \n");
  EXPECT_NE(result.out.find("Pressure sensor SerNo\t4051327\n"), std::string::npos) << result.out;
  EXPECT_EQ(Control("dump 0 1"), "ok 0=0x0003");
}

TEST_F(CliEndToEndTest, APcbTestWhoseFactoryRecordTheUnitRefusesFailsWithStatusOne) {
  ASSERT_EQ(Control("fault refuse 400-403 always"), "ok fault refuse 400-403 always");
  // Every OK box waits for Enter: seven in the supply checks, one between the two currents.
  const std::string answers = "y\nab\n123456-7\n123456-7\n" + std::string(7, '\n') + "30\n\n100\n";
  const ProgramResult result =
      Cli({"pcb-test", "serial", "supplies", "current", "internal-rs485", "rs485-comms"}, answers);
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_NE(result.err.find("The unit did not take the factory record\nOverall result !! FAIL !!\n"), std::string::npos)
      << result.err;
  EXPECT_EQ(result.err.find("Overall result PASS"), std::string::npos) << result.err;
  const std::string last = "endcap-cli: overall result FAIL; the unit did not take the factory record\n";
  ASSERT_GE(result.err.size(), last.size());
  EXPECT_EQ(result.err.substr(result.err.size() - last.size()), last);
  EXPECT_NE(result.out.find("Factory cal\t\tNot calibrated\n"), std::string::npos) << result.out;
  EXPECT_EQ(Control("dump 400 4"), "ok 400=0xFFFF 401=0xFFFF 402=0xFFFF 403=0xFFFF");
  // The board serial was taken.
  EXPECT_EQ(Control("dump 8 2"), "ok 8=0x1234 9=0x5607");
}

}  // namespace
}  // namespace endcap
