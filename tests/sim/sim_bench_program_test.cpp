// endcap-unit-sim with and without its bench window, as whole programs: the plain simulator
// never loads the toolkit; --bench shows the window (offscreen here), still answers its
// standard input, and explains itself when there is no display. Real processes, real time.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <iterator>

#include "serial/display_check.h"
#include "tests/cli/run_program.h"
#include "tests/support/child_process.h"

namespace endcap {
namespace {

using testing::ChildProcess;

// The window comes up before the ready line: slow under the sanitizers on a busy machine.
constexpr int kReadyMs = 60000;

bool MapsTheToolkit(pid_t pid) {
  std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
  const std::string text((std::istreambuf_iterator<char>(maps)), std::istreambuf_iterator<char>());
  return text.find("libQt6Widgets") != std::string::npos;
}

TEST(SimProgram, ThePlainSimulatorNeverLoadsTheToolkit) {
  ChildProcess sim;
  ASSERT_TRUE(sim.Start({"/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM",
                         ENDCAP_UNIT_SIM}))
      << sim.error();
  const auto path = sim.ReadLine(kReadyMs);
  ASSERT_TRUE(path.has_value());
  EXPECT_EQ(path->rfind("/dev/pts/", 0), 0u) << *path;
  ASSERT_TRUE(sim.Send("status\n"));
  const auto answer = sim.ReadLine(kReadyMs);
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(answer->rfind("ok mode=modbus", 0), 0u) << *answer;
  EXPECT_FALSE(MapsTheToolkit(sim.pid()));
  const int status = sim.Stop(10000);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(SimProgram, WithTheBenchItShowsTheWindowAndStillAnswersItsInput) {
  ChildProcess sim;
  ASSERT_TRUE(sim.Start({ENDCAP_UNIT_SIM, "--bench", "--bench-at", "40,60"})) << sim.error();
  const auto path = sim.ReadLine(kReadyMs);
  ASSERT_TRUE(path.has_value());
  EXPECT_EQ(path->rfind("/dev/pts/", 0), 0u) << *path;
  EXPECT_TRUE(MapsTheToolkit(sim.pid()));
  ASSERT_TRUE(sim.Send("fault noreply always\nstatus\n"));
  EXPECT_EQ(sim.ReadLine(kReadyMs), std::optional<std::string>("ok fault noreply always"));
  const auto status = sim.ReadLine(kReadyMs);
  ASSERT_TRUE(status.has_value());
  EXPECT_NE(status->find(" faults=noreply:always"), std::string::npos) << *status;
  const int exit = sim.Stop(10000);
  EXPECT_TRUE(WIFEXITED(exit) && WEXITSTATUS(exit) == 0) << exit;
}

TEST(SimProgram, TheBenchWithoutADisplaySaysHowToRunIt) {
  const auto result = testing::RunProgram(
      {"/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM", ENDCAP_UNIT_SIM, "--bench"});
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, NoDisplayMessage("endcap-unit-sim", "no display found (DISPLAY, WAYLAND_DISPLAY and "
                                                             "QT_QPA_PLATFORM are not set)"));
}

TEST(SimProgram, ABadBenchPositionIsAUsageError) {
  const auto result = testing::RunProgram({ENDCAP_UNIT_SIM, "--bench", "--bench-at", "40"});
  EXPECT_EQ(result.exitStatus, 2);
  EXPECT_EQ(result.err.rfind("endcap-unit-sim: --bench-at: bad value '40': two whole numbers X,Y such as 0,40\n\n", 0),
            0u)
      << result.err;
  EXPECT_NE(result.err.find("Usage: endcap-unit-sim [OPTIONS]"), std::string::npos);
}

}  // namespace
}  // namespace endcap
