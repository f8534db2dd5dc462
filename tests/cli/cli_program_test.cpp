// The endcap-cli program itself: help, usage errors and a device that cannot be opened, each
// with its exit status and exactly where its text goes.

#include <gtest/gtest.h>

#include "cli/cli_options.h"
#include "tests/support/temp_dir.h"
#include "tests/cli/run_program.h"
#include "tests/integration/pty_pair.h"

namespace endcap {
namespace {

using testing::ProgramResult;
using testing::RunProgram;

// What the parser makes of args in this process: the program must print exactly that.
ParseOutcome Parsed(const std::vector<std::string>& args) { return ParseCommandLine(args).outcome; }

ProgramResult Cli(std::vector<std::string> args, const std::string& input = "") {
  args.insert(args.begin(), ENDCAP_CLI);
  return RunProgram(args, input);
}

TEST(CliProgramTest, HelpPrintsTheUsageOnStdout) {
  const ProgramResult result = Cli({"--help"});
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.out, Parsed({"--help"}).text);
  EXPECT_NE(result.out.find("Usage: endcap-cli [OPTIONS] [SUBCOMMAND]"), std::string::npos);
  EXPECT_EQ(result.err, "");
}

TEST(CliProgramTest, CommandHelpPrintsThatCommandsUsage) {
  const ProgramResult result = Cli({"set-address", "--help"});
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.out, Parsed({"set-address", "--help"}).text);
  EXPECT_NE(result.out.find("Usage: endcap-cli set-address [OPTIONS] [N]"), std::string::npos);
  EXPECT_EQ(result.err, "");
}

TEST(CliProgramTest, AUsageErrorExitsTwoWithTheMessageAndTheUsage) {
  const ProgramResult result = Cli({"registers", "read", "2"});
  EXPECT_EQ(result.exitStatus, 2);
  EXPECT_EQ(result.out, "");
  const ParseOutcome parsed = Parsed({"registers", "read", "2"});
  EXPECT_EQ(parsed.text, "COUNT is required");
  EXPECT_NE(parsed.usage.find("Usage: endcap-cli registers read [OPTIONS] FIRST COUNT"), std::string::npos);
  EXPECT_EQ(result.err, "endcap-cli: " + parsed.text + "\n\n" + parsed.usage);
}

TEST(CliProgramTest, NoCommandIsAUsageError) {
  const ProgramResult result = Cli({"--com", "2"});
  EXPECT_EQ(result.exitStatus, 2);
  EXPECT_EQ(result.err, "endcap-cli: no command given\n\n" + Parsed({"--help"}).text);
}

TEST(CliProgramTest, AnAbsentDeviceExitsOneWithTheReason) {
  const ProgramResult result = Cli({"--device", "/dev/endcap-absent", "registers", "read", "2", "3"});
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "endcap-cli: COM1 could not be opened: /dev/endcap-absent: No such file or directory\n");
}

TEST(CliProgramTest, AWindowCommandOnAnAbsentDeviceShowsTheBoxAndTheReason) {
  const testing::TempDir home;
  const ProgramResult result =
      Cli({"--port", "4=/dev/endcap-absent", "--com", "4", "--drive", "C=" + home.path(), "info"});
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err,
            "=== Remote inclinometer calibrate ===\nFailed to Connect at all!!\n"
            "Press Enter for OK (end of input: OK)\n"
            "endcap-cli: COM4 could not be opened: /dev/endcap-absent: No such file or directory\n");
}

TEST(CliProgramTest, TheChooserReadsItsAnswerFromStdinAndEchoesIt) {
  const ProgramResult result = Cli({"--port",    "1=/dev/endcap-absent",
                                    "--port",    "2=/dev/endcap-absent",
                                    "--port",    "3=/dev/endcap-absent",
                                    "--port",    "4=/dev/endcap-absent",
                                    "--port",    "5=/dev/endcap-absent",
                                    "--port",    "6=/dev/endcap-absent",
                                    "--port",    "7=/dev/endcap-absent",
                                    "--port",    "8=/dev/endcap-absent",
                                    "registers", "read",
                                    "2",         "3"},
                                   "9\n");
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(result.err,
            "=== Choose comm port ===\nPort number (0 for none) [0]: 9\n"
            "endcap-cli: COM9 could not be opened: COM9: no device mapped\n");
}

}  // namespace
}  // namespace endcap
