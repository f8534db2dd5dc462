// Four stations calibrating the strain gauges of four standalone simulated units at once, each
// endcap-cli run storing into one PostgreSQL server; then the sheet and the listing of each
// unit from that server, as any station would make them, and the server checked.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/cli/conversation.h"
#include "tests/cli/run_program.h"
#include "tests/support/postgres_server.h"
#include "tests/support/simulator_child.h"
#include "tests/support/temp_dir.h"

namespace endcap {
namespace {

constexpr int kReadyTimeoutMs = 10000;
constexpr int kAnswerTimeoutMs = 5000;
constexpr int kSilenceTimeoutMs = 30000;

// What the operator sees (a part of it), what they do at the bench, and what they type.
struct Step {
  std::string shown;
  std::string bench;
  std::string typed;
};

const Step kCalibration[] = {
    {"Enter operator ID 2/3 chars: ", "", "ab"},
    {"Enter unit serial No [", "", ""},
    {"The pressure sensor full scale pressure is 100.0 BAR", "", "y"},
    {"Atmospheric pressure (millibar)", "", "1013.25"},
    {"Local temperature (Deg C)", "", "21.5"},
    {"Dead weight tester make", "", ""},
    {"Dead weight tester Ident. No", "", "4711"},
    {"Strain gauge manufacturer", "", "Druck"},
    {"Strain gauge model", "", "PDCR 4000"},
    {"Set pressure to zero", "pressure 0", ""},
    {"Set measurement pressure [1200.000]: ", "pressure 1200", ""},
    {"Enter current drawn in mA: ", "", "72"},
    {"Calibration successful", "", ""},
};

// One station at its bench: a simulated unit, a home folder, the operator's place in the script.
struct Station {
  testing::SimulatorChild sim;
  testing::TempDir home;
  std::string serial;
  size_t next = 0;
  size_t seen = 0;
  testing::ProgramResult result;

  std::string Respond(const std::string& err) {
    std::string typed;
    while (next < std::size(kCalibration)) {
      const Step& step = kCalibration[next];
      const size_t at = err.find(step.shown, seen);
      if (at == std::string::npos) break;
      if (!step.bench.empty()) {
        EXPECT_EQ(sim.Control(step.bench, kAnswerTimeoutMs).substr(0, 2), "ok") << step.bench;
      }
      typed += step.typed + "\n";
      seen = at + step.shown.size();
      ++next;
    }
    return typed;
  }
};

TEST(StoreEndToEndTest, FourStationsCalibratingAtOnceShareOneServer) {
  testing::PostgresServer server;
  ASSERT_TRUE(server.Start()) << server.why();
  ASSERT_NE(server.NewDatabase("lab"), "") << server.why();
  // The server trusts its local socket: the password is only there to be kept out of sight.
  const std::string uri = "postgresql://postgres:s3cret@/lab?host=" + server.socketFolder();
  const std::string shown = "postgresql://postgres:****@/lab?host=" + server.socketFolder();

  Station stations[4];
  for (int i = 0; i < 4; ++i) {
    stations[i].serial = "12345" + std::to_string(i) + "-00" + std::to_string(i + 1);
    ASSERT_TRUE(stations[i].sim.Start({ENDCAP_UNIT_SIM, "--unit-serial", stations[i].serial}, kReadyTimeoutMs))
        << stations[i].sim.why();
  }
  std::vector<std::thread> runs;
  for (Station& s : stations)
    runs.emplace_back([&s, &uri] {
      s.result = testing::Converse({ENDCAP_CLI, "--device", s.sim.device(), "--drive", "C=" + s.home.path(), "--trace",
                                    s.home.path() + "/trace.txt", "--store", uri, "calibrate", "strain", "calibrate"},
                                   [&s](const std::string& err) { return s.Respond(err); }, kSilenceTimeoutMs);
    });
  for (std::thread& run : runs) run.join();

  testing::TempDir q;
  const std::string folder = q.path() + "/CALIBRAT/Drelvik5/Endcap/";
  std::filesystem::create_directories(folder);  // the station never creates it
  for (Station& s : stations) {
    EXPECT_EQ(s.result.exitStatus, 0) << s.result.err;
    EXPECT_EQ(s.next, std::size(kCalibration)) << s.result.err;
    EXPECT_EQ(s.result.err.find("Unable to store"), std::string::npos) << s.result.err;
    std::ifstream trace(s.home.path() + "/trace.txt");
    std::stringstream traced;
    traced << trace.rdbuf();
    EXPECT_NE(traced.str(), "");
    EXPECT_EQ(traced.str().find("s3cret"), std::string::npos);

    const testing::ProgramResult sheet =
        testing::RunProgram({ENDCAP_CLI, "--drive", "C=" + q.path(), "--drive", "Q=" + q.path(), "--store", uri,
                             "cal-sheet", "strain", "--serial", s.serial},
                            "n\n");
    const std::string file = folder + "calibrate_pressure.csv";
    EXPECT_EQ(sheet.exitStatus, 0) << sheet.err;
    EXPECT_EQ(sheet.out, file + "\n");
    std::ifstream written(file);
    std::string header, serialLine;
    std::getline(written, header);
    std::getline(written, serialLine);
    EXPECT_EQ(serialLine, s.serial);

    const testing::ProgramResult listing =
        testing::RunProgram({ENDCAP_CLI, "--drive", "C=" + q.path(), "--store", uri, "results", s.serial});
    EXPECT_EQ(listing.exitStatus, 0) << listing.err;
    std::istringstream lines(listing.out);
    std::string keys;
    for (std::string line; std::getline(lines, line);)
      if (line.rfind("3.04.", 0) == 0) keys += line.substr(0, 7) + (line.find("\tDruck") != std::string::npos ? "+" : "") + " ";
    EXPECT_EQ(keys, "3.04.01+ 3.04.02 3.04.03 3.04.04 3.04.05 ") << listing.out;
  }

  const testing::ProgramResult check =
      testing::RunProgram({ENDCAP_CLI, "--drive", "C=" + q.path(), "--store", uri, "store", "check"});
  EXPECT_EQ(check.exitStatus, 0) << check.err;
  EXPECT_EQ(check.out, "results store: " + shown + "\nopens: yes\nschema version: 2\n");
  for (Station& s : stations) s.sim.Stop();
}

}  // namespace
}  // namespace endcap
