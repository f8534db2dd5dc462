// Measurements and sensor switches. Every measurement writes a start value to a command
// register, then reads the result registers (after polling the ready register where there is one).

#include <algorithm>
#include <cmath>
#include <limits>

#include "protocol/pressure.h"
#include "protocol/register_map.h"
#include "protocol/register_values.h"
#include "serial/text_format.h"
#include "unit/conversions.h"
#include "unit/sensor_operations.h"

namespace endcap {

namespace {

constexpr double kDegreesPerRadian = 57.29577951471995;  // 180 / 3.1415926535, as the unit's tools use
constexpr double kHalfPi = 1.57079632675;
constexpr double kOneNinetieth = 0.011111111111111112;
constexpr double kExternalSupplyScale = 3.0;
// A unit that never reports ready gives an invalid reading after this long, not a hang.
constexpr int64_t kReadyPollLimitSeconds = 10;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The float in registers i, i + 1 of a read, or NaN when the read failed.
double FloatOrNaN(bool ok, const uint16_t* regs, int i) { return ok ? RegistersToFloat(regs, i) : kNaN; }

// Writes 0 to the measurement register; false when the unit did not take it, so that no
// reading that follows can be this measurement's.
bool StartMeasurement(UnitClient& client) { return client.WriteSingleRegister(0, reg::kMeasurement, 1); }

// Polls the ready register; false when it did not become ready in time.
bool WaitMeasurementReady(UnitClient& client) {
  const int64_t start = client.clock().WholeSeconds();
  for (;;) {
    uint16_t ready = 0;
    const bool read = client.ReadInputRegisters(reg::kMeasurementReady, 1, &ready, 1);
    if (read && ready != 0) return true;
    // A port that closed under the poll (the device was unplugged) or would not open again
    // fails every further poll at once, and a unit that has gone answers none: the reading is
    // invalid now, not after a spin.
    if (!client.port().isOpen || (!read && client.UnitLost())) return false;
    if (client.clock().WholeSeconds() - start >= kReadyPollLimitSeconds) return false;
  }
}

}  // namespace

bool EnableSensors(UnitClient& client, const UnitState& unit, uint16_t mask) {
  const uint16_t value = static_cast<uint16_t>(unit.enabledSensors | mask);
  return client.WriteMultipleRegisters(reg::kEnabledSensors, 1, &value, 3);
}

bool DisableSensors(UnitClient& client, const UnitState& unit, uint16_t mask) {
  const uint16_t value = static_cast<uint16_t>(unit.enabledSensors & ~mask);
  return client.WriteMultipleRegisters(reg::kEnabledSensors, 1, &value, 3);
}

bool CheckPowerSupplies(UnitClient& client, OperatorInterface& op, const DefaultLimits& limits, bool show,
                        SupplyReadings* measured) {
  // Without the measurement start the registers hold the last measurement, not this one.
  uint16_t r[reg::kBoardSuppliesCount];
  const bool ok = client.WriteSingleRegister(0, reg::kBoardSupplies, 10) &&
                  client.ReadInputRegisters(reg::kBoardSupplies, reg::kBoardSuppliesCount, r, 1);
  // In a procedure a unit that has gone gets no boxes: the procedure says so, once.
  if (!ok && show && client.UnitLost()) return false;
  const double minus12 = FloatOrNaN(ok, r, 0);
  const double plus12 = FloatOrNaN(ok, r, 2);
  const double v3 = FloatOrNaN(ok, r, 4);
  if (measured) *measured = {minus12, plus12, v3};
  const bool pass = limits.supplyMinus12.Contains(minus12) && limits.supplyPlus12.Contains(plus12) &&
                    limits.supply3v3.Contains(v3);
  if (show) {
    op.ShowMessage(UnownedBox(Format("%s\r\n +12V = %.2f\r\n-12V = %.2f\r\n3.3V = %.2f", pass ? "Pass" : "FAIL!!", plus12,
                                      minus12, v3),
                               "Power supplies"));
  }
  return pass;
}

bool CheckExternalSupplies(UnitClient& client, OperatorInterface& op, const DefaultLimits& limits, bool show,
                           SupplyReadings* measured) {
  bool lost = false;
  // Without the selection the registers hold the other supply, or the last measurement.
  const auto readSelected = [&client, show, &lost](uint16_t channel) {
    uint16_t r[reg::kExternalSupplyCount];
    const bool ok = client.WriteSingleRegister(channel, reg::kExternalSupply, 10) &&
                    client.ReadInputRegisters(reg::kExternalSupply, reg::kExternalSupplyCount, r, 1);
    lost = !ok && show && client.UnitLost();
    return kExternalSupplyScale * FloatOrNaN(ok, r, reg::kExternalSupplyVolts - reg::kExternalSupply);
  };
  const double minus12 = readSelected(0);
  if (measured) measured->minus12 = minus12;
  if (lost) return false;
  const double plus12 = readSelected(1);
  if (measured) measured->plus12 = plus12;
  if (lost) return false;
  const bool pass = limits.externalMinus12.Contains(minus12) && limits.externalPlus12.Contains(plus12);
  if (show) {
    op.ShowMessage(UnownedBox(Format("%s\r\n +12V = %.2f\r\n-12V = %.2f", pass ? "Pass" : "Fail", plus12, minus12),
                               "External supplies"));
  }
  return pass;
}

PitchRollReading ReadPitchRoll(UnitClient& client, bool trigger) {
  PitchRollReading reading;
  if (trigger && !StartMeasurement(client)) return reading;
  if (!WaitMeasurementReady(client)) return reading;
  uint16_t r[reg::kPitchRollCount];
  if (!client.ReadInputRegisters(reg::kMeasurement, reg::kPitchRollCount, r, 1)) return reading;
  reading.pitchDeg = RegistersToFloat(r, 0) * kDegreesPerRadian;
  reading.rollDeg = RegistersToFloat(r, 2) * kDegreesPerRadian;
  reading.valid = true;
  return reading;
}

void ReadInclinometerRaw(UnitClient& client, InclinometerRun& run, int slot) {
  if (slot < 0 || slot >= 10) return;
  run.rawSlots[slot] = {};
  run.rawSlots[slot].readFailed = true;
  if (!StartMeasurement(client) || !WaitMeasurementReady(client)) return;
  uint16_t r[2];
  if (!client.ReadInputRegisters(reg::kRawInclinometer, 2, r, 1)) return;
  run.rawSlots[slot] = {r[0], r[1], false};
}

bool ComputeInclinometerCal(UnitClient& client, InclinometerRun& run, double exactPitchDeg) {
  const RawSlot* s = run.rawSlots;
  InclinometerCal cal;
  cal.offsetA = (s[0].a + s[1].a + s[2].a + s[3].a) * 0.25;
  cal.offsetB = (s[0].b + s[1].b + s[2].b + s[3].b) * 0.25;
  const double sine = std::sin(exactPitchDeg * kOneNinetieth * kHalfPi);
  const double spanA = std::abs(s[4].a - s[6].a);
  const double spanB = std::abs(s[5].b - s[7].b);
  // A pitch whose sine is 0 (0, 180 degrees) gives no gain; that calibration fails.
  const bool usable = sine != 0.0;
  cal.gainA = usable ? spanA * 0.5 / sine : 0.0;
  cal.gainB = usable ? spanB * 0.5 / sine : 0.0;
  if (s[6].a > s[4].a) cal.gainA = -cal.gainA;
  if (s[7].b > s[5].b) cal.gainB = -cal.gainB;
  const double values[4] = {cal.offsetA, cal.gainA, cal.offsetB, cal.gainB};
  // A pitch typed as "nan" or "inf" reads as a number, and gives gains the unit cannot use.
  const bool finite = std::all_of(values, values + 4, [](double v) { return std::isfinite(v); });
  // Counts the unit never gave, or an axis that did not move between its opposite positions,
  // would pass the cross-axis test as 0 <= 0 and store zero gains: such a calibration fails.
  const bool allRead = std::none_of(s, s + 8, [](const RawSlot& slot) { return slot.readFailed; });
  bool pass = usable && finite && allRead && spanA > 0.0 && spanB > 0.0 && std::abs(s[5].a - s[7].a) <= spanA &&
              std::abs(s[4].b - s[6].b) <= spanB;
  run.cal = cal;
  run.calRun = true;
  if (pass) {
    uint16_t regs[reg::kInclinometerCalCount];
    for (int i = 0; i < 4; ++i) Int32ToRegisters(regs, 2 * i, FloatBits(static_cast<float>(values[i])));
    // Coefficients the unit refused or never acknowledged are not a calibration it holds.
    pass = client.WriteMultipleRegisters(reg::kInclinometerCal, reg::kInclinometerCalCount, regs, 5);
  }
  run.calPassed = pass;
  return pass;
}

bool WriteUnitCurrent(UnitClient& client, const UnitState& unit) {
  const uint16_t value = static_cast<uint16_t>(unit.unitCurrentMa & 0xFFFF);
  return client.WriteMultipleRegisters(reg::kUnitCurrent, 1, &value, 3);
}

PressureReading ReadPressure(UnitClient& client, bool first, bool trigger, int timeLimitSeconds) {
  // Without a new measurement the registers still hold the previous one.
  if (trigger && !StartMeasurement(client)) return {kNaN, false};
  // The values of the last read that succeeded; NaN until one does.
  double firstValue = kNaN;
  double secondValue = kNaN;
  const int64_t start = client.clock().WholeSeconds();
  do {
    uint16_t r[reg::kPressureCount];
    if (client.ReadInputRegisters(reg::kPressure, reg::kPressureCount, r, 1)) {
      firstValue = RegistersToFloat(r, 0);
      secondValue = RegistersToFloat(r, 2);
    } else if (!client.port().isOpen || client.UnitLost()) {
      break;  // the device was unplugged or the unit has gone: no later read can succeed
    }
  } while (!(secondValue >= kLowestReadyPressure) && client.clock().WholeSeconds() - start < timeLimitSeconds);
  return {first ? firstValue : secondValue, secondValue >= kLowestReadyPressure};
}

}  // namespace endcap
