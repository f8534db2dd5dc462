// endcap-station --simulate as a user starts it: the simulator with its bench window as a child
// process, stopped with the station however the station ends. Real processes on the offscreen
// platform, real time.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>

#include "tests/cli/run_program.h"
#include "tests/support/child_process.h"
#include "tests/support/process_table.h"
#include "tests/support/temp_dir.h"

namespace endcap {
namespace {

namespace fs = std::filesystem;
using testing::ChildProcess;
using testing::ChildrenOf;
using testing::CommandLine;
using testing::Ended;
using testing::ProcessState;
using testing::RunProgram;
using testing::TempDir;
using testing::WaitFor;

// The simulator shows a window before it is ready: slow under the sanitizers on a busy machine.
constexpr int kStartMs = 60000;
constexpr int kEndMs = 10000;

class StationProcessTest : public ::testing::Test {
protected:
  // Starts the station (through launcher, which ends in exec) and waits until its simulator has
  // put the unit on the line.
  void StartStation(std::vector<std::string> launcher = {}) {
    launcher.insert(launcher.end(), {ENDCAP_STATION, "--simulate", "--drive", "C=" + home_.path()});
    ASSERT_TRUE(station_.Start(launcher)) << station_.error();
    ASSERT_TRUE(WaitFor([&] { return FindSimulator(); }, kStartMs)) << "no simulator under the station";
    const std::vector<std::string> args = CommandLine(simulator_);
    EXPECT_EQ(fs::path(args.at(0)).filename(), "endcap-unit-sim");
    EXPECT_EQ(args.at(1), "--bench");
    const auto link = std::find(args.begin(), args.end(), "--link");
    ASSERT_NE(link, args.end());
    ASSERT_NE(link + 1, args.end());
    link_ = *(link + 1);
    EXPECT_NE(std::find(args.begin(), args.end(), "--bench-at"), args.end());
    ASSERT_TRUE(WaitFor([&] { return fs::is_symlink(link_); }, kStartMs)) << link_;
    // The link comes before the simulator's ready line; a simulator that ends before the station
    // has read that line is one that could not start, not a bench that ended.
    ASSERT_TRUE(WaitFor([&] { return !StationReadsFromSimulator(); }, kStartMs)) << "the ready line was not read";
  }
  // Whether the station still holds the pipe the simulator's standard output goes to: it closes
  // it once it has the ready line.
  bool StationReadsFromSimulator() const {
    std::error_code error;
    const fs::path simulatorOut = fs::read_symlink("/proc/" + std::to_string(simulator_) + "/fd/1", error);
    if (error) return true;
    for (const auto& entry : fs::directory_iterator("/proc/" + std::to_string(station_.pid()) + "/fd", error)) {
      std::error_code gone;
      if (fs::read_symlink(entry.path(), gone) == simulatorOut) return true;
    }
    return false;
  }
  bool FindSimulator() {
    const std::vector<pid_t> children = ChildrenOf(station_.pid());
    for (pid_t child : children) {
      const std::vector<std::string> args = CommandLine(child);
      // Between fork and exec the child still runs the station's program.
      if (!args.empty() && fs::path(args[0]).filename() == "endcap-unit-sim") simulator_ = child;
    }
    return simulator_ > 0;
  }

  TempDir home_;
  ChildProcess station_;
  pid_t simulator_ = -1;
  fs::path link_;
};

TEST_F(StationProcessTest, TheStationStopsItsBenchWhenItEnds) {
  StartStation();
  const int status = station_.Stop(kEndMs);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_TRUE(Ended(simulator_));
  EXPECT_FALSE(fs::exists(fs::symlink_status(link_)));
  EXPECT_FALSE(fs::exists(link_.parent_path()));
}

TEST_F(StationProcessTest, TheBenchEndsWhenTheStationIsKilled) {
  StartStation();
  ASSERT_EQ(::kill(station_.pid(), SIGKILL), 0);
  EXPECT_TRUE(WaitFor([&] { return Ended(simulator_); }, kEndMs));
  // The simulator ended as on SIGTERM, removing its link; only the station could remove the
  // folder.
  EXPECT_FALSE(fs::exists(fs::symlink_status(link_)));
  std::error_code ignored;
  fs::remove_all(link_.parent_path(), ignored);
  const int status = station_.Stop();
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
}

TEST_F(StationProcessTest, ABenchThatEndsOnItsOwnIsReapedAndTheStationSaysSoOnce) {
  // The station's standard error on the pipe the test reads.
  StartStation({"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1"});
  ASSERT_EQ(::kill(simulator_, SIGKILL), 0);
  const std::string said = "endcap-station: the simulated bench has ended (signal Killed)";
  std::optional<std::string> line;
  while ((line = station_.ReadLine(kEndMs)) && *line != said) {
  }
  EXPECT_EQ(line, said);
  // Reaped: not even a zombie is left of it.
  char state = 0;
  pid_t parent = 0;
  EXPECT_TRUE(WaitFor([&] { return !ProcessState(simulator_, state, parent); }, kEndMs)) << state;
  // The station, showing its box, still ends as asked; it said it once.
  ASSERT_EQ(::kill(station_.pid(), SIGTERM), 0);
  int repeats = 0;
  while ((line = station_.ReadLine(kEndMs))) repeats += *line == said;
  EXPECT_EQ(repeats, 0);
  const int status = station_.Stop(kEndMs);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_FALSE(fs::exists(link_.parent_path()));
}

TEST(StationProgram, ASimulatorThatCannotStartEndsTheStation) {
  TempDir alone;
  const fs::path station = fs::path(alone.path()) / "endcap-station";
  fs::copy_file(ENDCAP_STATION, station);
  // A runtime folder of its own keeps the toolkit quiet about a missing one.
  const auto result = RunProgram(
      {"/usr/bin/env", "XDG_RUNTIME_DIR=" + alone.path(), station.string(), "--simulate", "--drive", "C=" + alone.path()});
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(result.err, "endcap-station: cannot start the simulated unit: " + alone.path() +
                            "/endcap-unit-sim: No such file or directory\n");
}

TEST(StationProgram, WithoutADisplayItSaysHowToRunIt) {
  struct Row {
    std::vector<std::string> environment;  // for env(1), after the variables it unsets
    std::string reason;
  };
  const Row rows[] = {
      {{}, "no display found (DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM are not set)"},
      {{"DISPLAY=:987"}, "no display found (no X server answers on DISPLAY=:987)"},
      {{"DISPLAY=unix:987.0"}, "no display found (no X server answers on DISPLAY=unix:987.0)"},
  };
  for (const Row& row : rows) {
    std::vector<std::string> argv{"/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM"};
    argv.insert(argv.end(), row.environment.begin(), row.environment.end());
    argv.insert(argv.end(), {ENDCAP_STATION, "--simulate"});
    const auto result = RunProgram(argv);
    EXPECT_EQ(result.exitStatus, 1) << row.reason;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "endcap-station: " + row.reason +
                              ".\nRun it on a desktop, or under a virtual X server: xvfb-run endcap-station ...\n"
                              "or with no screen at all: QT_QPA_PLATFORM=offscreen endcap-station ...\n");
  }
}

}  // namespace
}  // namespace endcap
