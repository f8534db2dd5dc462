#pragma once
// Control ids of the calibration dialogs (templates 130, 139 and 140). The windows give each
// control its id as object name, as for every dialog (control_ids.h).

namespace endcap::ctl {

// Inclinometer calibration, template 130.
namespace incl {
constexpr int kCalibrate = 1108;
constexpr int kConfirm = 1136;
constexpr int kRead = 1109;
constexpr int kPitch = 1110;
constexpr int kRoll = 1111;
constexpr int kSamples = 1195;
constexpr int kWarmUp = 1031;
constexpr int kSetSamples = 1198;
constexpr int kExit = 1001;
}  // namespace incl

// Strain gauge calibration, template 139.
namespace strain {
constexpr int kFullScale = 1039;
constexpr int kAccuracy = 1148;
constexpr int kSetAndCalibrate = 1040;
constexpr int kConfirm = 1136;
constexpr int kSetWarmUp = 1041;
constexpr int kWarmUp = 1042;
constexpr int kReadPressure = 1113;
constexpr int kPressure = 1038;
constexpr int kExit = 1001;
}  // namespace strain

// Measurement pressure, template 140.
namespace pressure {
constexpr int kPressure = 1038;
constexpr int kPressureSet = 1001;
}  // namespace pressure

}  // namespace endcap::ctl
