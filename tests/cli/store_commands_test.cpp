// store check and store copy, and the commands that read the store when a server cannot be
// reached: stdout, stderr and the status, the password never shown.

#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli_session.h"
#include "records/results_store.h"
#include "serial/memory_device.h"
#include "tests/support/temp_dir.h"

namespace endcap {
namespace {

class StoreCommandsTest : public ::testing::Test {
protected:
  int Run(std::vector<std::string> args, const std::string& answers = "") {
    args.insert(args.begin(), {"--drive", "C=" + dir.path() + "/home", "--drive", "Q=" + dir.path() + "/q"});
    const CliParse parse = ParseCommandLine(args);
    if (parse.outcome.kind != ParseOutcome::Kind::Run) return kExitUsage;
    in.str(answers);
    out.str("");
    err.str("");
    const CliStreams streams{in, out, err, false};
    return RunCli(parse.options, ports, clock, streams);
  }

  testing::TempDir dir;
  testing::TempDir noServer;  // a socket folder where no server listens
  const std::string uri = "postgresql://station:s3cret@/lab?host=" + noServer.path();
  const std::string shown = "postgresql://station:****@/lab?host=" + noServer.path();
  const std::string unreachable = "connection to server on socket \"" + noServer.path() +
                                  "/.s.PGSQL.5432\" failed: No such file or directory Is the server running locally "
                                  "and accepting connections on that socket?";
  VirtualClock clock;
  MemoryPortProvider ports;
  std::istringstream in;
  std::ostringstream out, err;
};

TEST_F(StoreCommandsTest, CheckSaysWhichStoreOpensAndItsVersion) {
  const std::string file = dir.path() + "/home/Quorvanta/D5Status/CalibrationResults.sqlite";
  EXPECT_EQ(Run({"store", "check"}), kExitDone);
  EXPECT_EQ(out.str(), "results store: " + file +
                           "\nopens: yes\nschema version: none yet (the first results stored create version 2)\n");
  std::string error;
  ASSERT_TRUE(ResultsStore(file).Store({StoredResult()}, error)) << error;
  EXPECT_EQ(Run({"store", "check"}), kExitDone);
  EXPECT_EQ(out.str(), "results store: " + file + "\nopens: yes\nschema version: 2\n");

  EXPECT_EQ(Run({"--store", dir.path() + "/none/x.sqlite", "store", "check"}), kExitUnitFailed);
  EXPECT_EQ(err.str(), "endcap-cli: it does not open: " + dir.path() + "/none: No such file or directory\n");

  EXPECT_EQ(Run({"--store", uri, "store", "check"}), kExitUnitFailed);
  EXPECT_EQ(out.str(), "results store: " + shown + "\n");
  EXPECT_EQ(err.str(), "endcap-cli: it does not open: " + unreachable + "\n");
}

TEST_F(StoreCommandsTest, CopyCountsWhatItCopiedAndSaysWhichStoreFailed) {
  const std::string from = dir.path() + "/from.sqlite", to = dir.path() + "/to.sqlite";
  StoredResult row;
  row.unitSerial = "123456-007";
  row.key = "3.04.01";
  row.storedAt = "2026-03-07 09:05:30";
  std::string error;
  ASSERT_TRUE(ResultsStore(from).Store({row}, error)) << error;
  EXPECT_EQ(Run({"store", "copy", from, to}), kExitDone);
  EXPECT_EQ(out.str(), "copied 1 results from " + from + " to " + to + " (0 already there)\n");
  EXPECT_EQ(Run({"store", "copy", from, to}), kExitDone);
  EXPECT_EQ(out.str(), "copied 0 results from " + from + " to " + to + " (1 already there)\n");

  EXPECT_EQ(Run({"store", "copy", from, uri}), kExitUnitFailed);
  EXPECT_EQ(err.str(), "endcap-cli: nothing was copied: " + shown + ": " + unreachable + "\n");
  EXPECT_EQ(Run({"store", "copy", from}), kExitUsage);
  EXPECT_EQ(Run({"store"}), kExitUsage);
}

TEST_F(StoreCommandsTest, AServerThatCannotBeReachedFailsTheSheetAndTheListing) {
  EXPECT_EQ(Run({"--store", uri, "results", "123456-007"}), kExitUnitFailed);
  EXPECT_EQ(err.str(), "endcap-cli: cannot read the results store " + shown + ": " + unreachable + "\n");
  EXPECT_EQ(Run({"--store", uri, "cal-sheet", "strain", "--serial", "123456-007"}), kExitUnitFailed);
  EXPECT_EQ(err.str(), "=== Error ===\nUnable to read the results store " + shown + " for 123456-007\n" + unreachable +
                           "\nPress Enter for OK (end of input: OK)\nendcap-cli: " + dir.path() +
                           "/q/CALIBRAT/Drelvik5/Endcap/calibrate_pressure.csv was not written\n");
}

}  // namespace
}  // namespace endcap
