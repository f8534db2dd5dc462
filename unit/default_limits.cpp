#include "unit/default_limits.h"

namespace endcap {

void LoadDefaultLimits(DefaultLimits& limits) {
  limits.supply3v3 = {3.0, 3.6};
  limits.supplyPlus12 = {11.0, 13.0};
  limits.supplyMinus12 = {-13.0, -11.0};
  limits.externalPlus12 = {11.0, 13.0};
  limits.externalMinus12 = {-13.0, -11.0};
  limits.loadedCurrentMa = {90.0, 110.0};
  limits.unloadedCurrentMa = {25.0, 35.0};
  limits.unitCurrentMa = {50.0, 100.0};
  limits.smallAngleTolerance = 0.05;
  limits.largeAngleTolerance = 0.2;
  limits.standardGaugeAccuracy = 0.1;
  limits.precisionGaugeAccuracy = 0.05;
}

}  // namespace endcap
