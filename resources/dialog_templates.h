#pragma once
// The station's three dialog templates: each control's id, kind, caption and place in dialog
// units (a quarter of the dialog font's average character width across, an eighth of its
// height down). The windows are built from these tables and nothing else decides the layout.

#include <cstddef>
#include <iterator>

#include "resources/control_ids.h"

namespace endcap::resources {

enum class ControlKind {
  StatusPane,     // multi-line edit with border, read-only
  ProgressBar,    // smooth, with border
  Button,
  DefaultButton,  // the button that Enter presses
  ComboBox,       // drop-down with an editable edit field; h is the height with the list dropped
  LineEdit,       // single line with border, scrolls horizontally
  RightLineEdit,  // the same, its text right-aligned (numbers)
  Label,          // static text, left-aligned
};

// The id of a control that no code refers to, such as a label.
inline constexpr int kStaticId = -1;

struct ControlTemplate {
  int id;
  ControlKind kind;
  const char* caption;
  int x, y, w, h;
};

struct DialogTemplate {
  const char* caption;  // empty: set by the code that opens the dialog
  int w, h;
  const char* fontFamily;
  int fontPointSize;
  const ControlTemplate* controls;
  size_t controlCount;
};

inline constexpr ControlTemplate kMainControls[] = {
    {ctl::kStatusPane, ControlKind::StatusPane, "", 7, 7, 267, 209},
    {ctl::kProgressBar, ControlKind::ProgressBar, "", 7, 220, 267, 14},
    {ctl::kConnect, ControlKind::Button, "Connect", 298, 7, 90, 14},
    {ctl::kDisconnect, ControlKind::Button, "Disconnect", 297, 7, 90, 14},
    {ctl::kBootload, ControlKind::Button, "Bootload new program", 298, 28, 90, 14},
    {ctl::kSetModbusAddress, ControlKind::Button, "Set modbus address", 300, 46, 90, 14},
    {ctl::kSensorList, ControlKind::ComboBox, "", 304, 67, 85, 99},
    {ctl::kEnable, ControlKind::Button, "Enable", 284, 91, 50, 14},
    {ctl::kDisable, ControlKind::Button, "Disable", 356, 89, 50, 14},
    {ctl::kCalibrate, ControlKind::Button, "Calibrate", 321, 114, 50, 14},
    {ctl::kRead, ControlKind::Button, "Read", 323, 136, 50, 14},
    {ctl::kPcbTest, ControlKind::Button, "PCB test", 303, 161, 90, 14},
    {ctl::kCalibrationSheet, ControlKind::Button, "Calibration sheet", 303, 184, 90, 14},
    {ctl::kDevTest, ControlKind::Button, "Dev test", 324, 199, 50, 11},
    {ctl::kExit, ControlKind::Button, "Exit", 324, 211, 50, 14},
};

// Template 102. The caption is the title that the window builds at start-up.
inline constexpr DialogTemplate kMainDialog = {"", 413, 241, "MS Sans Serif", 8, kMainControls, std::size(kMainControls)};

inline constexpr ControlTemplate kPortChooserControls[] = {
    {ctl::kPortList, ControlKind::ComboBox, "", 7, 7, 78, 130},
    {ctl::kSelectPort, ControlKind::Button, "Select", 18, 31, 50, 14},
};

// Template 136.
inline constexpr DialogTemplate kPortChooserDialog = {"Choose comm port", 92, 59, "MS Sans Serif", 8,
                                                      kPortChooserControls, std::size(kPortChooserControls)};

inline constexpr ControlTemplate kTextEntryControls[] = {
    {ctl::kEntryText, ControlKind::LineEdit, "", 7, 7, 118, 14},
    {ctl::kEnterText, ControlKind::DefaultButton, "Enter", 37, 31, 50, 14},
};

// Template 129. Its caption is always replaced by the prompt's.
inline constexpr DialogTemplate kTextEntryDialog = {"", 132, 58, "MS Sans Serif", 8, kTextEntryControls,
                                                    std::size(kTextEntryControls)};

}  // namespace endcap::resources
