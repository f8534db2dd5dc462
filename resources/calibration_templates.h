#pragma once
// The calibration dialogs' templates: 130 (inclinometer), 139 (strain gauge) and 140
// (measurement pressure), in dialog units. Labels sit left of their edits and units right of
// them; the commands are a column of buttons, each beside the fields it uses.

#include <iterator>

#include "resources/calibration_control_ids.h"
#include "resources/dialog_templates.h"

namespace endcap::resources {

inline constexpr ControlTemplate kInclinometerCalControls[] = {
    {kStaticId, ControlKind::Label, "Pitch", 7, 9, 56, 8},
    {ctl::incl::kPitch, ControlKind::RightLineEdit, "", 66, 7, 60, 14},
    {kStaticId, ControlKind::Label, "Degrees", 130, 9, 30, 8},
    {kStaticId, ControlKind::Label, "Roll", 7, 27, 56, 8},
    {ctl::incl::kRoll, ControlKind::RightLineEdit, "", 66, 25, 60, 14},
    {kStaticId, ControlKind::Label, "Degrees", 130, 27, 30, 8},
    {kStaticId, ControlKind::Label, "Samples", 7, 63, 56, 8},
    {ctl::incl::kSamples, ControlKind::RightLineEdit, "", 66, 61, 60, 14},
    {kStaticId, ControlKind::Label, "Warm up (secs)", 7, 81, 56, 8},
    {ctl::incl::kWarmUp, ControlKind::LineEdit, "", 66, 79, 60, 14},
    {ctl::incl::kCalibrate, ControlKind::Button, "Calibrate", 170, 7, 90, 14},
    {ctl::incl::kConfirm, ControlKind::Button, "Confirm calibration", 170, 25, 90, 14},
    {ctl::incl::kRead, ControlKind::Button, "Read Inclinometer", 170, 43, 90, 14},
    {ctl::incl::kSetSamples, ControlKind::Button, "Set samples and warm up", 170, 70, 90, 14},
    {ctl::incl::kExit, ControlKind::Button, "Exit", 170, 103, 90, 14},
};

// Template 130.
inline constexpr DialogTemplate kInclinometerCalDialog = {"Calibration", 267, 124, "MS Sans Serif", 8,
                                                          kInclinometerCalControls, std::size(kInclinometerCalControls)};

inline constexpr ControlTemplate kStrainGaugeCalControls[] = {
    {kStaticId, ControlKind::Label, "Full scale", 7, 9, 40, 8},
    {ctl::strain::kFullScale, ControlKind::LineEdit, "", 50, 7, 60, 14},
    {kStaticId, ControlKind::Label, "Bar", 114, 9, 30, 8},
    {kStaticId, ControlKind::Label, "Accuracy", 7, 27, 40, 8},
    {ctl::strain::kAccuracy, ControlKind::LineEdit, "", 50, 25, 60, 14},
    {kStaticId, ControlKind::Label, "%", 114, 27, 30, 8},
    {ctl::strain::kWarmUp, ControlKind::LineEdit, "", 50, 61, 60, 14},
    {kStaticId, ControlKind::Label, "Secs", 114, 63, 30, 8},
    {ctl::strain::kPressure, ControlKind::LineEdit, "", 50, 79, 60, 14},
    {kStaticId, ControlKind::Label, "Psi", 114, 81, 30, 8},
    {ctl::strain::kSetAndCalibrate, ControlKind::Button, "Set and calibrate", 150, 7, 90, 14},
    {ctl::strain::kConfirm, ControlKind::Button, "Confirm calibration", 150, 25, 90, 14},
    {ctl::strain::kSetWarmUp, ControlKind::Button, "Set warm up", 150, 61, 90, 14},
    {ctl::strain::kReadPressure, ControlKind::Button, "Read pressure", 150, 79, 90, 14},
    {ctl::strain::kExit, ControlKind::Button, "Exit", 150, 103, 90, 14},
};

// Template 139.
inline constexpr DialogTemplate kStrainGaugeCalDialog = {"Strain gauge calibrate", 247, 124, "MS Sans Serif", 8,
                                                         kStrainGaugeCalControls, std::size(kStrainGaugeCalControls)};

inline constexpr ControlTemplate kPressureSetControls[] = {
    {ctl::pressure::kPressure, ControlKind::RightLineEdit, "", 7, 7, 60, 14},
    {kStaticId, ControlKind::Label, "PSi", 71, 9, 20, 8},
    {ctl::pressure::kPressureSet, ControlKind::DefaultButton, "Pressure set", 95, 7, 60, 14},
};

// Template 140.
inline constexpr DialogTemplate kPressureSetDialog = {"Set measurement pressure", 162, 28, "MS Sans Serif", 8,
                                                      kPressureSetControls, std::size(kPressureSetControls)};

}  // namespace endcap::resources
