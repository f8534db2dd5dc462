#include "sim/physics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace endcap::sim {

namespace {
constexpr double kRadPerDeg = 3.14159265358979323846 / 180.0;
}  // namespace

bool IsFixtureRotation(int rotationDeg) {
  return rotationDeg == 0 || rotationDeg == 90 || rotationDeg == 180 || rotationDeg == 270;
}

Attitude TrueAttitude(const Bench& bench) {
  const double tilt = bench.tiltDeg * kRadPerDeg;
  switch (bench.rotationDeg) {
    case 90: return {0.0, tilt};
    case 180: return {-tilt, 0.0};
    case 270: return {0.0, -tilt};
    default: return {tilt, 0.0};
  }
}

double RawCount(double offset, double gain, double angleRad) { return offset + gain * std::sin(angleRad); }

uint16_t QuantiseCount(double count) {
  return static_cast<uint16_t>(std::lround(std::clamp(count, 0.0, 65535.0)));
}

double ReportedAngleRad(uint16_t count, double offset, double gain) {
  if (gain == 0.0) return std::numeric_limits<double>::quiet_NaN();
  return std::asin(std::clamp((count - offset) / gain, -1.0, 1.0));
}

double RawPressure(const Bench& bench, const SensorTruth& truth) {
  const double absolute = bench.atmosphereMbar * kPsiPerMillibar + bench.appliedPsi;
  return (absolute - truth.gaugeReferencePsi) * truth.gaugeRawPerPsi;
}

double CalibratedPressure(double raw, double offset, double scale) { return raw * scale + offset; }

}  // namespace endcap::sim
