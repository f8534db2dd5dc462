#pragma once
// Control ids of the calibration sheet (template 135) and the certificate prompt (template 133).
// The windows give each control its id as object name, as for every dialog (control_ids.h).

namespace endcap::ctl {

// Calibration sheet, template 135.
namespace sheet {
constexpr int kSerial = 1190;
constexpr int kInclinometerResults = 1043;
constexpr int kStrainGaugeResults = 1044;
constexpr int kExit = 1001;
}  // namespace sheet

// Certificate prompt, template 133.
namespace certificate {
constexpr int kTemplateText = 1229;
constexpr int kYes = 1196;
constexpr int kNo = 1197;
}  // namespace certificate

}  // namespace endcap::ctl
