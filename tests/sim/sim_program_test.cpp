// endcap-unit-sim as a program: the state files it refuses at start, and the cost of a very
// long control line.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/cli/run_program.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace endcap {
namespace {

using testing::ProgramResult;
using testing::RunProgram;

TEST(SimProgram, AStateFileThatCannotKeepTheMemoryIsRefusedAtStart) {
  testing::TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  const std::string cut = dir.path() + "/cut.state";
  std::ofstream(cut) << "# kept registers\n8 4660\n9 22";
  const std::string readOnly = dir.path() + "/read-only.state";
  std::ofstream(readOnly) << "end 0\n";
  ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
  const std::string nowhere = dir.path() + "/missing/unit.state";
  const struct {
    std::string file;
    std::string error;
  } rows[] = {
      {cut, cut + ":3: the file ends inside a line ('9 22'): it was cut short"},
      {dir.path(), dir.path() + ": Is a directory (not a state file)"},
      {readOnly, readOnly + ": the file is read-only; the memory would not be kept"},
      {nowhere, dir.path() + "/missing: No such file or directory (the state file " + nowhere + " cannot be saved there)"},
  };
  for (const auto& row : rows) {
    const ProgramResult result = RunProgram({ENDCAP_UNIT_SIM, "--state", row.file});
    EXPECT_EQ(result.exitStatus, 2) << row.file;
    EXPECT_EQ(result.out, "") << row.file;
    EXPECT_EQ(result.err, "endcap-unit-sim: " + row.error + "\n") << row.file;
  }
}

TEST(SimProgram, ARefusedOptionValueSaysWhatFormItTakes) {
  const std::string serial =
      "a serial is six digits (the first may be E), a dash and three digits starting with 0, such as 123456-007";
  const struct {
    std::vector<std::string> args;
    std::string error;
  } rows[] = {
      {{"--board-serial", "12345-007"}, "--board-serial: bad value '12345-007': " + serial},
      {{"--unit-serial", "123456-107"}, "--unit-serial: bad value '123456-107': " + serial},
      {{"--fitted", "4"}, "--fitted: bad value '4': a number from 0 to 3"},
      {{"--noise", "-1"}, "--noise: bad value '-1': a number of counts, 0 or more"},
      {{"--measure-delay", "fast"}, "--measure-delay: bad value 'fast': a whole number of milliseconds"},
  };
  for (const auto& row : rows) {
    std::vector<std::string> args = {ENDCAP_UNIT_SIM};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const ProgramResult result = RunProgram(args);
    EXPECT_EQ(result.exitStatus, 2) << row.error;
    EXPECT_EQ(result.err.rfind("endcap-unit-sim: " + row.error + "\n\n", 0), 0u) << result.err;
  }
}

double ChildrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A 16 MB control line costs the simulator about as much as reading it once, not a rescan of
// everything pending on every read.
TEST(SimProgram, AVeryLongControlLineIsAnsweredWithoutRescanningIt) {
  const double before = ChildrenCpuSeconds();
  testing::ChildProcess sim;
  ASSERT_TRUE(sim.Start({ENDCAP_UNIT_SIM})) << sim.error();
  ASSERT_TRUE(sim.ReadLine(10000)) << "no ready line";
  ASSERT_TRUE(sim.Send(std::string(16 << 20, 'x') + "\nhelp\n"));
  const auto refused = sim.ReadLine(30000);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->compare(0, 29, "error unknown command 'xxxxxx"), 0);
  const auto help = sim.ReadLine(5000);
  ASSERT_TRUE(help);
  EXPECT_EQ(help->compare(0, 12, "ok commands:"), 0);
  sim.Stop();
  // Read once, it costs under a second of CPU even under the sanitizers; rescanned on every
  // read, it cost six.
  EXPECT_LT(ChildrenCpuSeconds() - before, 3.0);
}

}  // namespace
}  // namespace endcap
