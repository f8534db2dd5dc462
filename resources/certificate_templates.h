#pragma once
// Templates 135, the calibration sheet, and 133, the certificate prompt.

#include <iterator>

#include "resources/record_control_ids.h"
#include "resources/dialog_templates.h"

namespace endcap::resources {

inline constexpr ControlTemplate kCalSheetControls[] = {
    {ctl::sheet::kSerial, ControlKind::LineEdit, "", 15, 7, 100, 14},
    {ctl::sheet::kInclinometerResults, ControlKind::Button, "Inclinometer results", 15, 27, 100, 14},
    {ctl::sheet::kStrainGaugeResults, ControlKind::Button, "Strain gauge results", 15, 47, 100, 14},
    {ctl::sheet::kExit, ControlKind::Button, "Exit", 38, 67, 50, 14},
};

inline constexpr DialogTemplate kCalSheetDialog = {"Cal sheet for Serial", 134, 89, "MS Sans Serif", 8,
                                                   kCalSheetControls, std::size(kCalSheetControls)};

inline constexpr ControlTemplate kCertificatePromptControls[] = {
    {kStaticId, ControlKind::Label,
     "Do you wish to automatically launch Excel to produce a calibration certificate?", 13, 10, 246, 8},
    {kStaticId, ControlKind::Label, "If so press Yes or else launch Excel and open up the certificate template", 24,
     20, 228, 8},
    {ctl::certificate::kTemplateText, ControlKind::Label, "", 39, 31, 187, 8},
    {kStaticId, ControlKind::Label, "WARNING!!", 112, 50, 40, 8},
    {kStaticId, ControlKind::Label, "If a previous attempt to launch Excel automatically on the computer failed", 20,
     58, 230, 8},
    {kStaticId, ControlKind::Label, "DO NOT try again without first checking with the engineer responsible!!", 25, 68,
     224, 8},
    {ctl::certificate::kYes, ControlKind::Button, "Yes", 40, 80, 50, 14},
    {ctl::certificate::kNo, ControlKind::Button, "No", 190, 80, 50, 14},
};

inline constexpr DialogTemplate kCertificatePromptDialog = {"Auto launch Excel certificate", 280, 106,
                                                            "MS Sans Serif", 8, kCertificatePromptControls,
                                                            std::size(kCertificatePromptControls)};

}  // namespace endcap::resources
