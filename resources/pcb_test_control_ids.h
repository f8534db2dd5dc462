#pragma once
// Control ids of the PCB test (template 131), all push buttons. The windows give each control
// its id as object name, as for every dialog (control_ids.h).

namespace endcap::ctl {

namespace pcb {
constexpr int kExit = 1001;
constexpr int kSetSerialNumber = 1013;
constexpr int kCheckSupplyVoltages = 1014;
constexpr int kCheckSupplyCurrent = 1015;
constexpr int kCheckInternalRs485 = 1029;
constexpr int kCheckRs485Comms = 1030;
}  // namespace pcb

}  // namespace endcap::ctl
