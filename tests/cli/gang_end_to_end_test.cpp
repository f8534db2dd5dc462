// endcap-cli loading a gang of three standalone simulated boards, each on its own
// pseudo-terminal, in real time: the ports are named after the command, each board takes every
// line, and the table has a row for each.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "tests/cli/run_program.h"
#include "tests/support/hex_records.h"
#include "tests/support/simulator_child.h"
#include "tests/support/temp_dir.h"

namespace endcap {
namespace {

constexpr int kReadyTimeoutMs = 10000;
constexpr int kAnswerTimeoutMs = 5000;

// The table's words with its column padding taken out.
std::string Words(const std::string& table) {
  std::istringstream in(table);
  std::string words;
  for (std::string line; std::getline(in, line);) {
    std::istringstream split(line);
    std::string row;
    for (std::string word; split >> word;) row += (row.empty() ? "" : " ") + word;
    words += row + "\n";
  }
  return words;
}

TEST(GangEndToEnd, ThreeBoardsOnThreePortsAreLoadedAtOnce) {
  testing::TempDir home;
  const std::string file = home.path() + "/program.hex";
  testing::WriteFile(file, testing::HexImage(3, 16));
  std::vector<std::unique_ptr<testing::SimulatorChild>> sims;
  std::vector<std::string> args = {ENDCAP_CLI, "--drive", "C=" + home.path(), "bootload", file};
  std::string expected = "COM device unit serial lines unanswered verdict\n";
  for (int com = 1; com <= 3; ++com) {
    const std::string serial = "123456-00" + std::to_string(com);
    sims.push_back(std::make_unique<testing::SimulatorChild>());
    ASSERT_TRUE(sims.back()->Start({ENDCAP_UNIT_SIM, "--unit-serial", serial}, kReadyTimeoutMs)) << sims.back()->why();
    const std::string device = sims.back()->device();
    args.insert(args.end(), {"--com", std::to_string(com), "--port", std::to_string(com) + "=" + device});
    expected += "COM" + std::to_string(com) + " " + device + " " + serial + " 4 0 loaded\n";
  }
  const testing::ProgramResult result = testing::RunProgram(args);
  EXPECT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_EQ(Words(result.out), expected);
  const std::string cycle = "Cycle the unit power to reset it\n";
  ASSERT_GE(result.err.size(), cycle.size());
  EXPECT_EQ(result.err.substr(result.err.size() - cycle.size()), cycle);
  for (const auto& sim : sims)
    EXPECT_EQ(sim->Control("bootloader", kAnswerTimeoutMs),
              "ok bootloader mode=bootloader lines=4 records=4 bad-checksums=0 bad-lines=0 eof=yes");
}

}  // namespace
}  // namespace endcap
