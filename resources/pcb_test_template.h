#pragma once
// Template 131, the PCB test: its six push buttons in one column, the checks in the order a
// production operator runs them and Exit set apart below.

#include <iterator>

#include "resources/dialog_templates.h"
#include "resources/pcb_test_control_ids.h"

namespace endcap::resources {

inline constexpr ControlTemplate kPcbTestControls[] = {
    {ctl::pcb::kSetSerialNumber, ControlKind::Button, "Set serial number", 14, 7, 100, 14},
    {ctl::pcb::kCheckSupplyVoltages, ControlKind::Button, "Check supply voltages", 14, 26, 100, 14},
    {ctl::pcb::kCheckSupplyCurrent, ControlKind::Button, "Check supply current", 14, 45, 100, 14},
    {ctl::pcb::kCheckInternalRs485, ControlKind::Button, "Check internal RS485", 14, 64, 100, 14},
    {ctl::pcb::kCheckRs485Comms, ControlKind::Button, "Check RS485 comms", 14, 83, 100, 14},
    {ctl::pcb::kExit, ControlKind::Button, "Exit", 39, 108, 50, 14},
};

inline constexpr DialogTemplate kPcbTestDialog = {"Dialog", 128, 129, "MS Sans Serif", 8, kPcbTestControls,
                                                  std::size(kPcbTestControls)};

}  // namespace endcap::resources
