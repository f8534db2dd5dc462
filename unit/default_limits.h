#pragma once
// The limit set loaded before every command that changes the unit. Every window includes both ends.

namespace endcap {

struct LimitWindow {
  double lower = 0.0;
  double upper = 0.0;
  // A value that does not compare (NaN) is outside every window.
  bool Contains(double value) const { return lower <= value && value <= upper; }
};

struct DefaultLimits {
  LimitWindow supply3v3;
  LimitWindow supplyPlus12;
  LimitWindow supplyMinus12;
  LimitWindow externalPlus12;
  LimitWindow externalMinus12;
  LimitWindow loadedCurrentMa;
  LimitWindow unloadedCurrentMa;
  LimitWindow unitCurrentMa;
  double smallAngleTolerance = 0.0;     // degrees, below 15 degrees
  double largeAngleTolerance = 0.0;     // degrees, 15 to below 46 degrees
  double standardGaugeAccuracy = 0.0;   // percent of full scale
  double precisionGaugeAccuracy = 0.0;  // percent of full scale
};

// The station's one limit set.
void LoadDefaultLimits(DefaultLimits& limits);

}  // namespace endcap
