#pragma once
// The unit's one table of 16-bit registers (read with function 4, written with 6 and 16),
// its address and its custom control functions. No register number appears elsewhere.
// A 32-bit value takes two registers, high half in the lower-numbered one.

#include <cstdint>

namespace endcap::reg {

constexpr uint8_t kUnitAddress = 250;

// Function codes.
constexpr uint8_t kReadInputRegisters = 4;
constexpr uint8_t kWriteSingleRegister = 6;
constexpr uint8_t kWriteMultipleRegisters = 16;
constexpr uint8_t kUnlockFunction = 65;        // parameter: kAccessCode
constexpr uint8_t kReleaseFunction = 66;       // parameter 0
constexpr uint8_t kBoardTestFunction = 69;     // parameter 0
constexpr uint8_t kBootLoaderFunction = 70;    // parameter 0; the unit then speaks boot-loader text
constexpr uint16_t kAccessCode = 5827;
constexpr uint8_t kControlReplyMark = 'B';     // third byte of a control function's reply

// Identity block, 0-22.
constexpr uint16_t kEnabledSensors = 0;        // bit 0 inclinometer, bit 1 strain gauge
constexpr uint16_t kFittedSensors = 1;
constexpr uint16_t kFirmwareMajor = 2;
constexpr uint16_t kFirmwareMinor = 3;
constexpr uint16_t kFirmwareLetter = 4;        // character in the low byte
constexpr uint16_t kPcbDrawing = 5;            // 5, 6, 7
constexpr uint16_t kBoardSerial = 8;           // 8-9, serial BCD
constexpr uint16_t kUnitSerial = 10;           // 10-11, serial BCD
constexpr uint16_t kModbusAddress = 12;
constexpr uint16_t kIdNumber = 13;             // 13-20, one byte in each low byte
constexpr uint16_t kGaugeSerialNo = 21;        // 21-22, unsigned 32-bit
constexpr uint16_t kIdentityCount = 23;

constexpr uint16_t kSensorInclinometer = 0x0001;
constexpr uint16_t kSensorStrainGauge = 0x0002;

// Settings and calibration coefficients, 120-146.
constexpr uint16_t kInclinometerCal = 120;     // 120-127: offset A, gain A, offset B, gain B (floats)
constexpr uint16_t kInclinometerCalCount = 8;
constexpr uint16_t kInclinometerAccuracy = 128;    // float, percent
constexpr uint16_t kInclinometerFullScale = 130;   // float, degrees
constexpr uint16_t kInclinometerSamples = 132;
constexpr uint16_t kInclinometerWarmUp = 133;      // tenths of a second
constexpr uint16_t kPressureWarmUp = 134;          // tenths of a second
constexpr uint16_t kUnitCurrent = 135;             // mA
constexpr uint16_t kSettingsCount = 12;            // 128-139 in one read
constexpr uint16_t kStrainGaugeOffset = 136;       // float
constexpr uint16_t kStrainGaugeScale = 138;        // float
constexpr uint16_t kPressureFullScale = 140;       // float, bar
constexpr uint16_t kPressureAccuracy = 142;        // float, percent
constexpr uint16_t kPressureSettingsCount = 5;     // 140-144 in one read
constexpr uint16_t kDevTestValue = 145;            // float, set to 0.1 by the development test

// Supplies, 200-215.
constexpr uint16_t kExternalSupply = 200;          // write: 0 selects -12 V, 1 selects +12 V
constexpr uint16_t kExternalSupplyCount = 6;       // 200-205; 204-205 the selected voltage / 3
constexpr uint16_t kExternalSupplyVolts = 204;
constexpr uint16_t kBoardSupplies = 210;           // write 0 to start; 210-215: -12 V, +12 V, 3.3 V
constexpr uint16_t kBoardSuppliesCount = 6;
constexpr uint16_t kRs485Loop = 220;               // internal RS485 loop test

// Measurements, 300-310.
constexpr uint16_t kMeasurement = 300;             // write 0 to start; 300-303 pitch, roll (radians)
constexpr uint16_t kPitchRollCount = 4;
constexpr uint16_t kMeasurementReady = 304;        // not 0 when ready
constexpr uint16_t kRawInclinometer = 305;         // 305 A, 306 B
constexpr uint16_t kPressure = 307;                // 307-308 pressure psi, 309-310 second value
constexpr uint16_t kPressureCount = 4;

// Calibration records, 400-419: five records of four registers at 400 + 4 x kind.
constexpr uint16_t kCalRecords = 400;
constexpr uint16_t kCalRecordSize = 4;
constexpr uint16_t kCalRecordSlots = 5;

}  // namespace endcap::reg
