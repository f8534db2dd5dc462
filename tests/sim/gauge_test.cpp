// The strain gauge measures on its own while it is enabled: warm-up, a new value every
// measurement delay, and how starts, switching and faults hold its values back. Virtual clock.

#include <gtest/gtest.h>

#include "protocol/register_values.h"
#include "sim/physics.h"
#include "sim/register_names.h"
#include "tests/sim/memory_bench.h"

namespace endcap::sim::testing {
namespace {

// Factory calibration: offset 14 psi, scale 1; the gauge gives 0.962 raw per psi applied.
float Expected(double appliedPsi) { return static_cast<float>(14.0 + appliedPsi * 0.962); }

class SimGauge : public ::testing::Test {
protected:
  // The first value as the board holds it now, without a line exchange (which takes time).
  float Pressure() {
    const auto regs = bench.unit.Registers(reg::kPressure, 2);
    const uint16_t words[2] = {regs.at(0).second, regs.at(1).second};
    return RegistersToFloat(words, 0);
  }
  float SecondValue() {
    const auto regs = bench.unit.Registers(regs::kSecondPressure, 2);
    const uint16_t words[2] = {regs.at(0).second, regs.at(1).second};
    return RegistersToFloat(words, 0);
  }
  // Moves the clock to ms after the unit's power-up.
  void At(uint32_t ms) { bench.clock.Advance(ms - bench.clock.TickCount()); }
  GaugeState Gauge() { return bench.unit.Status().gauge; }

  MemoryBench bench;
};

TEST_F(SimGauge, NotReadyUntilTheWarmUpAfterPowerUpThenReadWithoutAStart) {
  ASSERT_EQ(bench.clock.TickCount(), 0u);
  bench.unit.SetAppliedPressure(100.0);
  // Factory warm-up: 10 tenths of a second.
  At(999);
  EXPECT_EQ(Pressure(), -1000.0f);
  EXPECT_EQ(SecondValue(), -1000.0f);
  EXPECT_EQ(Gauge(), GaugeState::WarmingUp);
  At(1000);
  EXPECT_EQ(Pressure(), Expected(100.0));
  EXPECT_FLOAT_EQ(SecondValue(), static_cast<float>(100.0 * 0.962));
  EXPECT_EQ(Gauge(), GaugeState::Measuring);
}

TEST_F(SimGauge, ANewValueEveryMeasurementDelay) {
  At(1000);
  EXPECT_EQ(Pressure(), Expected(0.0));
  bench.unit.SetAppliedPressure(250.0);
  // Values are due at 1000, 1150, 1300, ... (the default delay is 150 ms).
  At(1149);
  EXPECT_EQ(Pressure(), Expected(0.0));
  At(1150);
  EXPECT_EQ(Pressure(), Expected(250.0));
  bench.unit.SetAppliedPressure(500.0);
  // Nobody looked for a while: the value is the bench as it is at the next look, and the next
  // one is due on the same schedule, at 2050.
  At(2000);
  EXPECT_EQ(Pressure(), Expected(500.0));
  bench.unit.SetAppliedPressure(600.0);
  At(2049);
  EXPECT_EQ(Pressure(), Expected(500.0));
  At(2050);
  EXPECT_EQ(Pressure(), Expected(600.0));
  // A new delay counts from the end of the warm-up too, after the value already due at 2200.
  bench.unit.SetMeasureDelay(1000);
  bench.unit.SetAppliedPressure(700.0);
  At(2199);
  EXPECT_EQ(Pressure(), Expected(600.0));
  At(2200);
  EXPECT_EQ(Pressure(), Expected(700.0));
  bench.unit.SetAppliedPressure(800.0);
  At(2999);
  EXPECT_EQ(Pressure(), Expected(700.0));
  At(3000);
  EXPECT_EQ(Pressure(), Expected(800.0));
}

TEST_F(SimGauge, EnablingStartsTheWarmUpAfreshAndDisablingClearsTheValue) {
  bench.unit.SetRegister(reg::kPressureWarmUp, 25);
  At(5000);
  EXPECT_EQ(Pressure(), Expected(0.0));
  bench.WriteMultiple(reg::kEnabledSensors, {reg::kSensorInclinometer});
  EXPECT_EQ(Pressure(), -1000.0f);
  EXPECT_EQ(Gauge(), GaugeState::Off);
  At(20000);
  EXPECT_EQ(Pressure(), -1000.0f);

  // Poked rather than written, so that the test knows the moment exactly.
  const uint32_t enabled = bench.clock.TickCount();
  bench.unit.SetRegister(reg::kEnabledSensors, reg::kSensorInclinometer | reg::kSensorStrainGauge);
  EXPECT_EQ(Gauge(), GaugeState::WarmingUp);
  At(enabled + 2499);
  EXPECT_EQ(Pressure(), -1000.0f);
  At(enabled + 2500);
  EXPECT_EQ(Pressure(), Expected(0.0));
  // Writing the enables again with the gauge still on does not restart it.
  bench.WriteMultiple(reg::kEnabledSensors, {reg::kSensorStrainGauge});
  EXPECT_EQ(Pressure(), Expected(0.0));
}

TEST_F(SimGauge, AGaugeThatIsNotFittedNeverMeasures) {
  UnitConfig config;
  config.fittedSensors = reg::kSensorInclinometer;
  MemoryBench inclinometerOnly(config);
  inclinometerOnly.unit.SetRegister(reg::kEnabledSensors, reg::kSensorInclinometer | reg::kSensorStrainGauge);
  inclinometerOnly.clock.Advance(60000);
  EXPECT_EQ(inclinometerOnly.ReadFloat(reg::kPressure), -1000.0);
  EXPECT_EQ(inclinometerOnly.unit.Status().gauge, GaugeState::Off);
}

TEST_F(SimGauge, AStartHoldsTheValuesBackUntilItsMeasurementIsReady) {
  At(1000);
  bench.unit.SetAppliedPressure(40.0);
  bench.unit.SetMeasureDelay(500);
  // The line hands the request over whole as it is written.
  const uint32_t started = bench.clock.TickCount();
  bench.WriteSingle(reg::kMeasurement, 0);
  At(started + 499);
  EXPECT_EQ(Pressure(), -1000.0f);
  At(started + 500);
  EXPECT_EQ(Pressure(), Expected(40.0));
  EXPECT_EQ(bench.unit.Register(reg::kMeasurementReady), 1);
}

TEST_F(SimGauge, AStuckMeasurementAndANeverReadyFaultArmedAlwaysHoldTheValues) {
  At(1000);
  bench.unit.InjectFault(Fault::NeverReady, FaultMode::Once);
  bench.WriteSingle(reg::kMeasurement, 0);
  At(10000);
  EXPECT_EQ(Pressure(), -1000.0f);
  bench.Measure();
  EXPECT_EQ(Pressure(), Expected(0.0));

  // A once fault is kept for the next start: the gauge goes on meanwhile.
  bench.unit.InjectFault(Fault::NeverReady, FaultMode::Once);
  At(12000);
  EXPECT_EQ(Pressure(), Expected(0.0));
  bench.unit.ClearFaults();

  bench.unit.InjectFault(Fault::NeverReady, FaultMode::Always);
  At(13000);
  EXPECT_EQ(Pressure(), -1000.0f);
  EXPECT_EQ(Gauge(), GaugeState::WarmingUp);
  bench.unit.ClearFaults();
  EXPECT_EQ(Pressure(), Expected(0.0));
}

TEST_F(SimGauge, ThePowerCycleWarmsTheGaugeUpAgain) {
  At(3000);
  EXPECT_EQ(Pressure(), Expected(0.0));
  bench.unit.PowerCycle();
  EXPECT_EQ(Pressure(), -1000.0f);
  At(3999);
  EXPECT_EQ(Pressure(), -1000.0f);
  At(4000);
  EXPECT_EQ(Pressure(), Expected(0.0));
}

}  // namespace
}  // namespace endcap::sim::testing
