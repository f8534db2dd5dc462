// The physical model proves a calibration end to end: the station's arithmetic, applied to the
// readings the simulated board gives on the simulated bench, must make the later checks pass,
// and a wrong calibration must make them fail.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "sim/physics.h"
#include "sim/register_names.h"
#include "tests/sim/memory_bench.h"

namespace endcap::sim::testing {
namespace {

// The station's constants.
constexpr double kDegPerRad = 57.29577951471995;
constexpr double kSmallAngleToleranceDeg = 0.05;
constexpr double kPrecisionGaugeAccuracyPercent = 0.05;

struct Counts {
  int32_t a = 0;
  int32_t b = 0;
};

struct InclinometerCoefficients {
  double offsetA = 0, gainA = 0, offsetB = 0, gainB = 0;
};

Counts ReadRaw(MemoryBench& bench) {
  bench.Measure();
  const std::vector<uint16_t> raw = bench.Read(regs::kRawA, 2);
  return raw.size() == 2 ? Counts{raw[0], raw[1]} : Counts{};
}

// Slots 0-3 level and 4-7 tilted by pitchDeg, each at rotations 0, 90, 180, 270.
std::vector<Counts> EightPositions(MemoryBench& bench, double pitchDeg) {
  std::vector<Counts> slots;
  for (double tilt : {0.0, pitchDeg}) {
    bench.unit.SetTilt(tilt);
    for (int rotation : {0, 90, 180, 270}) {
      bench.unit.SetRotation(rotation);
      slots.push_back(ReadRaw(bench));
    }
  }
  return slots;
}

// The station's inclinometer calibration from the eight slots.
InclinometerCoefficients StationCalibration(const std::vector<Counts>& s, double pitchDeg) {
  InclinometerCoefficients c;
  c.offsetA = (s[0].a + s[1].a + s[2].a + s[3].a) * 0.25;
  c.offsetB = (s[0].b + s[1].b + s[2].b + s[3].b) * 0.25;
  const double sine = std::sin(pitchDeg * 0.011111111111111112 * 1.57079632675);
  c.gainA = std::abs(s[4].a - s[6].a) * 0.5 / sine;
  if (s[6].a > s[4].a) c.gainA = -c.gainA;
  c.gainB = std::abs(s[5].b - s[7].b) * 0.5 / sine;
  if (s[7].b > s[5].b) c.gainB = -c.gainB;
  return c;
}

void WriteCoefficients(MemoryBench& bench, const InclinometerCoefficients& c) {
  bench.WriteFloats(regs::kInclinometerCal, {c.offsetA, c.gainA, c.offsetB, c.gainB});
}

// The largest error, in degrees, of the reported pitch and roll over the four bow positions at
// each check angle.
double WorstCheckErrorDeg(MemoryBench& bench, std::initializer_list<double> anglesDeg) {
  double worst = 0.0;
  for (double angle : anglesDeg) {
    bench.unit.SetTilt(angle);
    for (int rotation : {0, 90, 180, 270}) {
      bench.unit.SetRotation(rotation);
      bench.Measure();
      const double pitch = bench.ReadFloat(regs::kPitch) * kDegPerRad;
      const double roll = bench.ReadFloat(regs::kRoll) * kDegPerRad;
      const double expectPitch = rotation == 0 ? angle : rotation == 180 ? -angle : 0.0;
      const double expectRoll = rotation == 90 ? angle : rotation == 270 ? -angle : 0.0;
      worst = std::max({worst, std::abs(pitch - expectPitch), std::abs(roll - expectRoll)});
    }
  }
  return worst;
}

TEST(SimPhysics, TheFixtureAndTheBoardsArithmetic) {
  // Rotation 0 tilts the pitch axis, 90 the roll axis, 180 and 270 the same backwards.
  const double tilt = 30.0 / kDegPerRad;
  const double expected[4][2] = {{tilt, 0.0}, {0.0, tilt}, {-tilt, 0.0}, {0.0, -tilt}};
  for (int k = 0; k < 4; ++k) {
    const Attitude attitude = TrueAttitude({30.0, 90 * k});
    EXPECT_NEAR(attitude.pitchRad, expected[k][0], 1e-9) << 90 * k;
    EXPECT_NEAR(attitude.rollRad, expected[k][1], 1e-9) << 90 * k;
  }
  EXPECT_FALSE(IsFixtureRotation(45));
  EXPECT_EQ(QuantiseCount(RawCount(32768.0, 20000.0, std::asin(0.5))), 42768);
  EXPECT_EQ(QuantiseCount(-12.0), 0);
  EXPECT_EQ(QuantiseCount(70000.0), 65535);
  EXPECT_NEAR(ReportedAngleRad(42768, 32768.0, 20000.0), std::asin(0.5), 1e-12);
  EXPECT_NEAR(ReportedAngleRad(65535, 32768.0, 20000.0), std::asin(1.0), 1e-12);
  EXPECT_TRUE(std::isnan(ReportedAngleRad(40000, 32768.0, 0.0)));
  // The sealed gauge reads 0 raw at its reference, the standard atmosphere.
  Bench bench;
  EXPECT_NEAR(RawPressure(bench, SensorTruth()), 0.0, 1e-9);
  bench.appliedPsi = 1000.0;
  EXPECT_NEAR(RawPressure(bench, SensorTruth()), 962.0, 1e-9);
  EXPECT_DOUBLE_EQ(CalibratedPressure(962.0, 14.7, 1.0 / 0.962), 1014.7);
}

TEST(SimPhysics, StationCalibrationMakesPitchAndRollAccurate) {
  MemoryBench bench;
  EXPECT_GT(WorstCheckErrorDeg(bench, {5.0}), 0.2);  // the factory coefficients are visibly off
  const InclinometerCoefficients c = StationCalibration(EightPositions(bench, 10.0), 10.0);
  const SensorTruth truth;
  EXPECT_NEAR(c.offsetA, truth.offsetA, 0.5);
  EXPECT_NEAR(c.gainB, truth.gainB, 5.0);
  WriteCoefficients(bench, c);
  EXPECT_LT(WorstCheckErrorDeg(bench, {5.0, 45.0}), 0.01);
}

TEST(SimPhysics, CalibrationHoldsWithNoiseAndAReversedAxis) {
  UnitConfig config;
  config.noiseCounts = 2.0;
  config.seed = 7;
  config.truth.gainB = -19872.0;
  MemoryBench bench(config);
  const InclinometerCoefficients c = StationCalibration(EightPositions(bench, 10.0), 10.0);
  EXPECT_LT(c.gainB, 0.0);
  WriteCoefficients(bench, c);
  EXPECT_LT(WorstCheckErrorDeg(bench, {5.0, 45.0}), 0.01);
}

TEST(SimPhysics, NoiseMovesTheCountsAndTheSeedRepeatsThem) {
  UnitConfig config;
  config.noiseCounts = 20.0;
  MemoryBench first(config), second(config);
  std::vector<int32_t> a, b;
  for (int k = 0; k < 4; ++k) {
    a.push_back(ReadRaw(first).a);
    b.push_back(ReadRaw(second).a);
  }
  EXPECT_EQ(a, b);
  EXPECT_NE(a[0], a[1]);
}

TEST(SimPhysics, WrongCoefficientsFailTheCheck) {
  MemoryBench bench;
  const InclinometerCoefficients right = StationCalibration(EightPositions(bench, 10.0), 10.0);
  InclinometerCoefficients doubledGain = right;
  doubledGain.gainA *= 2.0;
  doubledGain.gainB *= 2.0;
  WriteCoefficients(bench, doubledGain);
  EXPECT_GT(WorstCheckErrorDeg(bench, {5.0}), kSmallAngleToleranceDeg);
  const InclinometerCoefficients swapped{right.offsetB, right.gainB, right.offsetA, right.gainA};
  WriteCoefficients(bench, swapped);
  EXPECT_GT(WorstCheckErrorDeg(bench, {5.0}), kSmallAngleToleranceDeg);
}

// --- strain gauge ---

struct GaugeCoefficients {
  double offset = 0, scale = 0;
};

// A started measurement on a gauge long past its warm-up (10 tenths of a second).
double ReadPressure(MemoryBench& bench, uint16_t reg, double appliedPsi) {
  bench.clock.Advance(1000);
  bench.unit.SetAppliedPressure(appliedPsi);
  bench.Measure();
  return bench.ReadFloat(reg);
}

// The station's strain-gauge calibration from the zero and high readings of one value.
GaugeCoefficients StationGaugeCalibration(MemoryBench& bench, uint16_t valueReg, double appliedPsi,
                                          double atmosphereMbar) {
  const double zero = ReadPressure(bench, valueReg, 0.0);
  const double high = ReadPressure(bench, valueReg, appliedPsi);
  return {atmosphereMbar * 0.01450377 - zero, appliedPsi / (high - zero)};
}

// The largest error, in percent of full scale, of the station's six-point check.
double WorstGaugeErrorPercent(MemoryBench& bench, double fullScalePsi, double atmosphereMbar) {
  double worst = 0.0;
  for (int percent = 100; percent >= 0; percent -= 20) {
    const double applied = fullScalePsi * percent / 100.0;
    const double read = ReadPressure(bench, reg::kPressure, applied) - atmosphereMbar * 0.01450377;
    worst = std::max(worst, std::abs(applied - read) / fullScalePsi * 100.0);
  }
  return worst;
}

constexpr double kFullScalePsi = 100.0 * 14.50377;

TEST(SimPhysics, StationGaugeCalibrationMakesTheCheckPass) {
  MemoryBench bench;
  EXPECT_GT(WorstGaugeErrorPercent(bench, kFullScalePsi, kStandardAtmosphereMbar), 1.0);  // factory coefficients
  const GaugeCoefficients c = StationGaugeCalibration(bench, regs::kSecondPressure, 1200.0, kStandardAtmosphereMbar);
  // Inside the station's questions: offset 5-25 psi, scale 0.9-1.1.
  EXPECT_GT(c.offset, 5.0);
  EXPECT_LT(c.offset, 25.0);
  EXPECT_GT(c.scale, 0.9);
  EXPECT_LT(c.scale, 1.1);
  bench.WriteFloats(reg::kStrainGaugeOffset, {c.offset, c.scale});
  EXPECT_LT(WorstGaugeErrorPercent(bench, kFullScalePsi, kStandardAtmosphereMbar), 0.0001);
}

TEST(SimPhysics, GaugeCalibrationAwayFromTheSensorsReferenceStaysWithinTolerance) {
  MemoryBench bench;
  bench.unit.SetAtmosphere(990.0);
  const GaugeCoefficients c = StationGaugeCalibration(bench, regs::kSecondPressure, 1200.0, 990.0);
  bench.WriteFloats(reg::kStrainGaugeOffset, {c.offset, c.scale});
  const double worst = WorstGaugeErrorPercent(bench, kFullScalePsi, 990.0);
  EXPECT_GT(worst, 0.0);
  EXPECT_LT(worst, kPrecisionGaugeAccuracyPercent / 10);
}

TEST(SimPhysics, CalibratingFromTheFirstValueFailsTheCheck) {
  MemoryBench bench;
  const GaugeCoefficients c = StationGaugeCalibration(bench, reg::kPressure, 1200.0, kStandardAtmosphereMbar);
  bench.WriteFloats(reg::kStrainGaugeOffset, {c.offset, c.scale});
  EXPECT_GT(WorstGaugeErrorPercent(bench, kFullScalePsi, kStandardAtmosphereMbar), kPrecisionGaugeAccuracyPercent);
}

TEST(SimPhysics, AnInvertedScaleFailsTheCheck) {
  MemoryBench bench;
  const GaugeCoefficients c = StationGaugeCalibration(bench, regs::kSecondPressure, 1200.0, kStandardAtmosphereMbar);
  bench.WriteFloats(reg::kStrainGaugeOffset, {c.offset, 1.0 / c.scale});
  EXPECT_GT(WorstGaugeErrorPercent(bench, kFullScalePsi, kStandardAtmosphereMbar), kPrecisionGaugeAccuracyPercent);
}

}  // namespace
}  // namespace endcap::sim::testing
