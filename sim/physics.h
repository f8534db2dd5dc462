#pragma once
// The world around the simulated board and the board's own arithmetic on it.
//
// The bench is what the operator sets up: the tilting fixture (a tilt, and the end cap turned
// about its own axis to 0, 90, 180 or 270 degrees), the dead-weight tester and the room's
// atmosphere. The sensor truth is what the sensors really are; a calibration has to find it.
//
// The board's arithmetic is the inverse of the station's calibration:
//  - inclinometer: the station takes offset = mean of the four level counts and
//    gain = (A(0) - A(180)) / (2 sin tilt), so with raw = offset + gain sin(angle) the board
//    reports angle = asin((raw - offset) / gain) and a correct calibration reads true;
//  - strain gauge: the station takes scale = applied / (high - zero) and
//    offset = atmosphere - zero from the raw value, so the board reports
//    absolute = raw x scale + offset. That is exact when the raw zero is 0, which holds for a
//    sealed-gauge sensor in an atmosphere equal to its reference; away from it the reading is
//    off by zero x (scale - 1), a few thousandths of a psi for a normal sensor.

#include <cstdint>

#include "protocol/pressure.h"

namespace endcap::sim {

constexpr double kStandardAtmosphereMbar = 1013.25;

struct Bench {
  double tiltDeg = 0.0;
  int rotationDeg = 0;  // 0, 90, 180 or 270
  double appliedPsi = 0.0;  // dead-weight tester, above the atmosphere
  double atmosphereMbar = kStandardAtmosphereMbar;
};

struct SensorTruth {
  // Inclinometer axes in ADC counts: raw = offset + gain x sin(angle).
  double offsetA = 32905.0;
  double gainA = 20480.0;
  double offsetB = 32641.0;
  double gainB = 19872.0;
  // A board assembled with its sensor turned a quarter: axis A feels roll and B pitch.
  bool axesSwapped = false;
  // Strain gauge: raw = (absolute - referencePsi) x rawPerPsi.
  double gaugeRawPerPsi = 0.962;
  double gaugeReferencePsi = kStandardAtmosphereMbar * kPsiPerMillibar;
};

struct Attitude {
  double pitchRad = 0.0;
  double rollRad = 0.0;
};

// Rotation 0 tilts the pitch axis forward, 90 the roll axis, 180 and 270 the same backwards.
Attitude TrueAttitude(const Bench& bench);
bool IsFixtureRotation(int rotationDeg);

// A count before quantising; noise is added by the caller.
double RawCount(double offset, double gain, double angleRad);
// The ADC's 16-bit result: rounded and held to 0..65535.
uint16_t QuantiseCount(double count);
// The board's angle from a count and its coefficients; NaN for a zero gain.
double ReportedAngleRad(uint16_t count, double offset, double gain);

double RawPressure(const Bench& bench, const SensorTruth& truth);
double CalibratedPressure(double raw, double offset, double scale);

}  // namespace endcap::sim
