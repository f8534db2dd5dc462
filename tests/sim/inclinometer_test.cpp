// The inclinometer measures on its own while it is enabled, as the gauge does: a reading taken
// without a start follows the fixture, one measurement delay after the last. Virtual clock.

#include <gtest/gtest.h>

#include "protocol/register_values.h"
#include "sim/register_names.h"
#include "tests/sim/memory_bench.h"

namespace endcap::sim::testing {
namespace {

// The pitch as the board holds it now, without a line exchange (which takes time).
float Pitch(MemoryBench& bench) {
  const auto regs = bench.unit.Registers(regs::kPitch, 2);
  const uint16_t words[2] = {regs.at(0).second, regs.at(1).second};
  return RegistersToFloat(words, 0);
}

TEST(SimInclinometer, FollowsTheFixtureWithoutAStartWhileEnabled) {
  MemoryBench bench;
  // The power-up measurement is ready at 150 ms; the next reading of its own is due at 300.
  bench.clock.Advance(150);
  const float level = Pitch(bench);
  bench.unit.SetTilt(10.0);
  bench.clock.Advance(149);
  EXPECT_EQ(Pitch(bench), level);
  bench.clock.Advance(1);
  const float tilted = Pitch(bench);
  EXPECT_NE(tilted, level);
  // The same reading as a measurement the station starts.
  bench.Measure();
  EXPECT_EQ(bench.ReadFloat(regs::kPitch), tilted);

  // Disabled, it measures nothing more.
  bench.unit.SetRegister(regs::kEnabledSensors, reg::kSensorStrainGauge);
  bench.unit.SetTilt(20.0);
  bench.clock.Advance(1000);
  EXPECT_EQ(Pitch(bench), tilted);
}

}  // namespace
}  // namespace endcap::sim::testing
