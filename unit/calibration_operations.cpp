// The unit's side of the two calibrations: the inclinometer check tolerance, the pressures
// offered to the operator, the strain-gauge coefficients, and the bench data that the record
// file needs.

#include <cmath>

#include "operator/operator_prompts.h"
#include "protocol/pressure.h"
#include "protocol/register_map.h"
#include "protocol/register_values.h"
#include "serial/text_format.h"
#include "unit/calibration_operations.h"
#include "unit/conversions.h"

namespace endcap {

namespace {

// Check angles from here on are judged by the large-angle tolerance, and from the second
// limit on they are only rough positions: the error allowed is the angle itself.
constexpr double kLargeAngleFromDeg = 15.0;
constexpr double kRoughAngleFromDeg = 46.0;

// Offsets and scales outside these (exclusive) bounds are questioned.
constexpr double kOffsetLowPsi = 5.0;
constexpr double kOffsetHighPsi = 25.0;
constexpr double kScaleLow = 0.9;
constexpr double kScaleHigh = 1.1;
constexpr int kGaugeCalTimeoutSeconds = 5;

// Below this the atmosphere has not been entered; a temperature below the other has not either.
constexpr double kAtmosphereKnownMb = 100.0;
constexpr double kTemperatureKnownDegC = -100.0;

// The pressure step to round a suggestion to, by its size.
int SuggestionStep(int psi) {
  if (psi <= 100) return 1;
  if (psi <= 200) return 10;
  if (psi <= 500) return 20;
  if (psi <= 1000) return 100;
  if (psi <= 4000) return 200;
  return 500;
}

bool Within(double value, double low, double high) { return value >= low && value <= high; }

}  // namespace

double InclinometerTolerance(const DefaultLimits& limits, double angleDeg) {
  const double a = std::fabs(angleDeg);
  if (a < kLargeAngleFromDeg) return limits.smallAngleTolerance;
  if (a < kRoughAngleFromDeg) return limits.largeAngleTolerance;
  return a;
}

bool IsPrecisionGauge(const DefaultLimits& limits, double accuracyPercent) {
  // An accuracy that does not compare counts as precision: the tighter band.
  return !(accuracyPercent > limits.precisionGaugeAccuracy);
}

double GaugeCheckAccuracy(const DefaultLimits& limits, double accuracyPercent) {
  return IsPrecisionGauge(limits, accuracyPercent) ? limits.precisionGaugeAccuracy : limits.standardGaugeAccuracy;
}

int SuggestPressure(int percentOfFullScale, int fullScalePsi) {
  int b = static_cast<int>(static_cast<double>(percentOfFullScale) * fullScalePsi * 0.01);
  if (b > 3 && b < 10) b = 10;
  const int step = SuggestionStep(b);
  const int halfStep = step / 2;
  int d = step * (b / step);
  if (d > b && d - b > halfStep) d -= step;
  if (d < b && b - d > halfStep) d += step;
  while (d > fullScalePsi) d -= step;
  return d;
}

bool ComputePressureCal(UnitClient& client, OperatorInterface& op, StrainGaugeRun& run, double zeroPsi,
                        double appliedPsi, double highPsi, double atmosphericMb) {
  const double scale = appliedPsi / (highPsi - zeroPsi);
  const double offset = atmosphericMb * kPsiPerMillibar - zeroPsi;
  bool accepted = true;
  // A value that does not compare (NaN) is questioned too.
  if (!Within(offset, kOffsetLowPsi, kOffsetHighPsi)) {
    const MessageBox question = UnownedBox(
        Format("An offset value of %.3f is excessive\r\nNormal would  be approx 14Accept it as OK?", offset), "ERROR",
        BoxButtons::YesNo);
    accepted = op.ShowMessage(question) == BoxAnswer::Yes;
  }
  if (!Within(scale, kScaleLow, kScaleHigh)) {
    const MessageBox question =
        UnownedBox(Format("An Scale value of %.3f is excessive\r\nAccept it as OK?", scale), "ERROR", BoxButtons::YesNo);
    if (op.ShowMessage(question) != BoxAnswer::Yes) return false;
  }
  // A zero reading equal to the high one, or a unit that gave no value, leaves nothing the
  // unit could compute with, whatever the operator accepted.
  if (!std::isfinite(offset) || !std::isfinite(scale) || !accepted) return false;
  run.calRun = true;
  uint16_t regs[4];
  Int32ToRegisters(regs, 0, FloatBits(static_cast<float>(offset)));
  Int32ToRegisters(regs, 2, FloatBits(static_cast<float>(scale)));
  // Coefficients the unit refused or never acknowledged are not a calibration it holds.
  return client.WriteMultipleRegisters(reg::kStrainGaugeOffset, 4, regs, kGaugeCalTimeoutSeconds);
}

void EnsureEquipmentData(OperatorInterface& op, StrainGaugeRun& run) {
  if (run.atmosphericPressureMb < kAtmosphereKnownMb)
    run.atmosphericPressureMb = LeadingDouble(op.PromptText(prompt::kAtmosphere, ""));
  if (run.temperatureDegC < kTemperatureKnownDegC)
    run.temperatureDegC = LeadingDouble(op.PromptText(prompt::kTemperature, ""));
  if (run.equipmentIdNo == 0 || run.equipmentUsed.size() < 3) {
    run.equipmentUsed = op.PromptText(prompt::kTesterMake, "Budenburg");
    run.equipmentIdNo = static_cast<int32_t>(LeadingInt(op.PromptText(prompt::kTesterId, "")));
  }
}

void EnsureGaugeIdentity(OperatorInterface& op, UnitState& unit, StrainGaugeRun& run) {
  if (run.gaugeManufacturer.size() < 2) run.gaugeManufacturer = op.PromptText(prompt::kGaugeMake, "");
  if (run.gaugeModel.size() < 2) run.gaugeModel = op.PromptText(prompt::kGaugeModel, "");
  if (unit.gaugeSerialNo == 0)
    unit.gaugeSerialNo = static_cast<uint32_t>(LeadingInt(op.PromptText(prompt::kGaugeSerial, "")));
}

}  // namespace endcap
