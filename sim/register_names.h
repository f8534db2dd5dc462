#pragma once
// Registers inside the blocks of the register map that the map names only by their block.

#include <cstdint>

#include "protocol/register_map.h"

namespace endcap::sim::regs {

using namespace endcap::reg;

constexpr uint16_t kFloatRegs = 2;  // a float or 32-bit integer takes two registers

constexpr uint16_t kOffsetA = kInclinometerCal;
constexpr uint16_t kGainA = kInclinometerCal + kFloatRegs;
constexpr uint16_t kOffsetB = kInclinometerCal + 2 * kFloatRegs;
constexpr uint16_t kGainB = kInclinometerCal + 3 * kFloatRegs;
// Read with the pressure settings though nothing is stored there.
constexpr uint16_t kPressureSpare = kPressureAccuracy + kFloatRegs;

constexpr uint16_t kExternalSupplyChannel = kExternalSupply;            // 32-bit: 0 -12 V, 1 +12 V
constexpr uint16_t kExternalSupplyFull = kExternalSupply + kFloatRegs;  // volts
constexpr uint16_t kBoardMinus12 = kBoardSupplies;
constexpr uint16_t kBoardPlus12 = kBoardSupplies + kFloatRegs;
constexpr uint16_t kBoard3V3 = kBoardSupplies + 2 * kFloatRegs;

constexpr uint16_t kPitch = kMeasurement;
constexpr uint16_t kRoll = kMeasurement + kFloatRegs;
constexpr uint16_t kRawA = kRawInclinometer;
constexpr uint16_t kRawB = kRawInclinometer + 1;
constexpr uint16_t kSecondPressure = kPressure + kFloatRegs;
constexpr uint16_t kMeasurementEnd = kPressure + kPressureCount;

constexpr uint16_t kCalRecordsEnd = kCalRecords + kCalRecordSize * kCalRecordSlots;

}  // namespace endcap::sim::regs
