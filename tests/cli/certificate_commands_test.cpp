// cal-sheet and results: the sheet written from the results store without a unit, the
// certificate offered on the terminal, and the store's listing; stdout, stderr and the status.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "cli/cli_session.h"
#include "records/results_store.h"
#include "serial/memory_device.h"
#include "tests/support/temp_dir.h"

namespace endcap {
namespace {

class CertificateCommandsTest : public ::testing::Test {
protected:
  CertificateCommandsTest() { MakeDirectories(folder); }

  int Run(std::vector<std::string> args, const std::string& answers = "") {
    args.insert(args.begin(), {"--drive", "C=" + dir.path() + "/home", "--drive", "Q=" + dir.path() + "/q"});
    const CliParse parse = ParseCommandLine(args);
    if (parse.outcome.kind != ParseOutcome::Kind::Run) return kExitUsage;
    in.str(answers);
    const CliStreams streams{in, out, err, false};
    return RunCli(parse.options, ports, clock, streams);
  }
  std::string File(const std::string& path) const {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }
  // One result of serial in the store given with --store.
  void Store(const std::string& serial, const std::string& key) {
    StoredResult row;
    row.unitSerial = serial;
    row.key = key;
    std::string error;
    ASSERT_TRUE(ResultsStore(store).Store({row}, error)) << error;
  }
  std::string Prompt(const std::string& templateName) const {
    return "=== Auto launch Excel certificate ===\n"
           "Do you wish to automatically launch Excel to produce a calibration certificate?\n"
           "If so press Yes or else launch Excel and open up the certificate template\n" +
           templateName + " stored in " + folder +
           "\n"
           "WARNING!!\n"
           "If a previous attempt to launch Excel automatically on the computer failed\n"
           "DO NOT try again without first checking with the engineer responsible!!\n"
           "Yes or no? (y/n) ";
  }

  testing::TempDir dir;
  std::string folder = dir.path() + "/q/CALIBRAT/Drelvik5/Endcap/";
  std::string store = dir.path() + "/results.sqlite";
  VirtualClock clock;
  MemoryPortProvider ports;  // no unit: none is needed
  std::istringstream in;
  std::ostringstream out, err;
};

TEST_F(CertificateCommandsTest, CalSheetWritesTheSheetAndOffersTheCertificate) {
  Store("E00012-003", "3.04.05");
  EXPECT_EQ(Run({"--store", store, "cal-sheet", "strain", "--serial", "e12-3"}, "n\n"), kExitDone);
  EXPECT_EQ(out.str(), folder + "calibrate_pressure.csv\n");
  EXPECT_EQ(err.str(), Prompt("Pressure_Certificate.xls"));
  const std::string sheet = File(folder + "calibrate_pressure.csv");
  EXPECT_EQ(sheet.substr(0, sheet.find('\n', 75) + 1),
            "PRECISION STRAIN GAUGE DEPTH SENSOR,Gauge range (bar),Remote inclinometer\nE00012-003\n");
}

TEST_F(CertificateCommandsTest, CalSheetWithoutASerialIsRefusedInANewRun) {
  EXPECT_EQ(Run({"cal-sheet", "inclinometer"}), kExitUnitFailed);
  EXPECT_EQ(err.str(),
            "=== Error ===\nIllegal entry!!\nPress Enter for OK (end of input: OK)\n"
            "=== Error ===\nFailed to open results\nPress Enter for OK (end of input: OK)\n"
            "endcap-cli: the serial was refused\n");
  EXPECT_EQ(out.str(), "");
}

TEST_F(CertificateCommandsTest, CalSheetForAUnitWithoutResultsWritesNothingAndFails) {
  Store("123456-007", "3.04.05");
  EXPECT_EQ(Run({"--store", store, "cal-sheet", "inclinometer", "--serial", "123456-7"}), kExitUnitFailed);
  EXPECT_EQ(err.str(), "=== Error ===\nThe results store " + store +
                           " holds no inclinometer results for 123456-007\nPress Enter for OK (end of input: OK)\n"
                           "endcap-cli: " + folder + "calibrate_inclin.csv was not written\n");
  EXPECT_EQ(out.str(), "");
  struct stat st {};
  EXPECT_NE(stat((folder + "calibrate_inclin.csv").c_str(), &st), 0);
}

TEST_F(CertificateCommandsTest, ResultsListsEveryStoredResultOfTheUnitWithItsMeaningUnderAHeader) {
  const std::string path = dir.path() + "/elsewhere.sqlite";
  StoredResult a;
  a.unitSerial = "123456-007";
  a.key = "3.04.03";
  a.result = {7, 3, 26, "AB", 0, 4000000001.0, 0, 0, ""};  // a reference value: no verdict
  a.storedAt = "2026-03-07 10:00:00";
  StoredResult b = a;
  b.key = "3.03.01";
  b.result = {8, 3, 26, "CD", 1, 0.0, 0, 0, "Pitch 0.012 Roll -0.046"};
  StoredResult c = a;
  c.key = "9.99.99";  // a key without a meaning here keeps the verdict it was stored with
  c.result = {8, 3, 26, "CD", 0, 12.5, 3.3, -12.0, "odd \"one\""};
  c.result.noValue = true;
  StoredResult other = a;
  other.unitSerial = "654321-001";
  std::string error;
  ASSERT_TRUE(ResultsStore(path).Store({a, b, c, other}, error)) << error;

  EXPECT_EQ(Run({"results", "123456-007", "--store", path}), kExitDone);
  EXPECT_EQ(out.str(),
            "Results stored for 123456-007 in " + path +
                "\n"
                "Key and meaning\tDate\tOperator\tVerdict\tValue\tText\n"
                "3.03.01 inclinometer check, level: pitch\t08/03/2026\tCD\tPASS\t0\tPitch 0.012 Roll -0.046\n"
                "3.04.03 gauge serial number\t07/03/2026\tAB\t\t4000000001\t\n"
                "9.99.99\t08/03/2026\tCD\tFAIL\t 3.3 -12\todd \"one\"\n");
  EXPECT_EQ(err.str(), "");

  out.str("");
  EXPECT_EQ(Run({"results", "123456-007", "--store", path, "--json"}), kExitDone);
  EXPECT_EQ(out.str(),
            "{\"unit_serial\":\"123456-007\",\"store\":\"" + path +
                "\",\"items\":["
                "{\"key\":\"3.03.01\",\"meaning\":\"inclinometer check, level: pitch\",\"date\":\"2026-03-08\","
                "\"stored_at\":\"2026-03-07 10:00:00\",\"operator\":\"CD\",\"verdict\":\"PASS\",\"values\":[0,0,0],"
                "\"text\":\"Pitch 0.012 Roll -0.046\"},"
                "{\"key\":\"3.04.03\",\"meaning\":\"gauge serial number\",\"date\":\"2026-03-07\","
                "\"stored_at\":\"2026-03-07 10:00:00\",\"operator\":\"AB\",\"verdict\":null,"
                "\"values\":[4000000001,0,0],\"text\":\"\"},"
                "{\"key\":\"9.99.99\",\"meaning\":null,\"date\":\"2026-03-08\",\"stored_at\":\"2026-03-07 10:00:00\","
                "\"operator\":\"CD\",\"verdict\":\"FAIL\",\"values\":[null,3.3,-12],\"text\":\"odd \\\"one\\\"\"}]}\n");

  out.str("");
  err.str("");
  EXPECT_EQ(Run({"results", "123456-007"}), kExitUnitFailed);  // the store in the status folder: empty
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), "endcap-cli: no results stored for 123456-007 in " + dir.path() +
                           "/home/Quorvanta/D5Status/CalibrationResults.sqlite\n");
}

TEST_F(CertificateCommandsTest, AStoreThatCannotBeReadFailsTheListing) {
  std::ofstream(dir.path() + "/bad.sqlite") << "not a database at all, only some text of a certain length\n";
  EXPECT_EQ(Run({"--store", dir.path() + "/bad.sqlite", "results", "1-1"}), kExitUnitFailed);
  EXPECT_EQ(err.str(), "endcap-cli: cannot read the results store " + dir.path() + "/bad.sqlite: file is not a database\n");
}

TEST_F(CertificateCommandsTest, ResultsPlotDrawsTheStoredChecksAndWithoutAnyMakesNoFile) {
  const std::string png = dir.path() + "/checks.png";
  Store("123456-007", "3.04.05");  // a gauge, no check
  EXPECT_EQ(Run({"--store", store, "results", "123456-007", "--plot", png}), kExitUnitFailed);
  EXPECT_EQ(err.str(), "endcap-cli: no inclinometer or strain-gauge check stored for 123456-007 in " + store + "\n");
  struct stat st {};
  EXPECT_NE(stat(png.c_str(), &st), 0);

  Store("123456-007", "3.03.01");  // the level position's pitch and roll
  Store("123456-007", "3.03.02");
  err.str("");
  EXPECT_EQ(Run({"--store", store, "results", "123456-007", "--plot", png}), kExitDone);
  EXPECT_EQ(err.str(), "");
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(File(png).substr(0, 4), "\x89PNG");
}

TEST_F(CertificateCommandsTest, UsageErrors) {
  EXPECT_EQ(Run({"cal-sheet", "pressure"}), kExitUsage);
  EXPECT_EQ(Run({"cal-sheet"}), kExitUsage);
  EXPECT_EQ(Run({"results"}), kExitUsage);
  EXPECT_EQ(Run({"--store", "", "results", "1-1"}), kExitUsage);
}

}  // namespace
}  // namespace endcap
