#pragma once
// The captions of the prompts that ask the operator for a value, named once: the procedures
// ask with them, and an operator that answers from the command line finds its answer by them.

namespace endcap::prompt {

inline constexpr const char* kOperatorId = "Enter operator ID 2/3 chars";
inline constexpr const char* kUnitSerial = "Enter unit serial No";
inline constexpr const char* kBoardSerial = "Enter board serial No";
inline constexpr const char* kPcbBoardSerial = "Board serial number";
inline constexpr const char* kCurrentDrawn = "Enter current drawn in mA";
inline constexpr const char* kAtmosphere = "Atmospheric pressure (millibar)";
inline constexpr const char* kTemperature = "Local temperature (Deg C)";
inline constexpr const char* kTesterMake = "Dead weight tester make";
inline constexpr const char* kTesterId = "Dead weight tester Ident. No";
inline constexpr const char* kGaugeMake = "Strain gauge manufacturer";
inline constexpr const char* kGaugeModel = "Strain gauge model";
inline constexpr const char* kGaugeSerial = "Strain gauge serial No";
inline constexpr const char* kUnloadedCurrent = "Enter unloaded current (mA)";
inline constexpr const char* kLoadedCurrent = "Enter loaded current (mA)";

}  // namespace endcap::prompt
