// The sensors as built: what the sensor command changes in the board's raw counts.

#include <gtest/gtest.h>

#include "sim/control_commands.h"
#include "sim/register_names.h"
#include "tests/sim/memory_bench.h"

namespace endcap::sim::testing {
namespace {

constexpr double kRadPerDeg = 3.14159265358979323846 / 180.0;

class SensorCommand : public ::testing::Test {
protected:
  std::string Run(const std::string& command) { return ExecuteCommand(bench.unit, &bench.peer, command); }
  // Raw A and B after a measurement.
  std::vector<uint16_t> Raw() {
    bench.Measure();
    return bench.Read(regs::kRawA, 2);
  }
  MemoryBench bench;
};

TEST_F(SensorCommand, SetsEachAxisAndTheGauge) {
  EXPECT_EQ(Run("sensor offset-a 30000"), "ok sensor offset-a 30000");
  EXPECT_EQ(Run("sensor gain-b 0"), "ok sensor gain-b 0");
  EXPECT_EQ(Run("sensor gauge-scale 0.5"), "ok sensor gauge-scale 0.5");
  Run("tilt 10");
  Run("rotation 90");
  // Roll is tilted, but axis B is dead; A is level at its new offset.
  EXPECT_EQ(Raw(), (std::vector<uint16_t>{30000, 32641}));
  EXPECT_DOUBLE_EQ(bench.unit.truth().gaugeRawPerPsi, 0.5);
}

TEST_F(SensorCommand, SwappedAxesFeelTheOtherTilt) {
  EXPECT_EQ(Run("sensor swap on"), "ok sensor swap on");
  Run("tilt 10");
  EXPECT_EQ(Raw(), (std::vector<uint16_t>{32905, QuantiseCount(RawCount(32641.0, 19872.0, 10.0 * kRadPerDeg))}));
  EXPECT_EQ(Run("sensor swap off"), "ok sensor swap off");
  EXPECT_EQ(Raw(), (std::vector<uint16_t>{QuantiseCount(RawCount(32905.0, 20480.0, 10.0 * kRadPerDeg)), 32641}));
}

TEST_F(SensorCommand, BadArgumentsAreRefused) {
  const std::string usage = "error usage: sensor offset-a|gain-a|offset-b|gain-b|gauge-scale VALUE, or sensor swap on|off";
  for (const char* command : {"sensor", "sensor swap", "sensor swap maybe", "sensor gain-c 3", "sensor gain-a x"})
    EXPECT_EQ(Run(command), usage) << command;
  EXPECT_NE(Run("help").find(" sensor "), std::string::npos);
}

}  // namespace
}  // namespace endcap::sim::testing
