#pragma once
// What the PCB test keeps in the results store: each check that ran, with what it was given or
// measured and its verdict, and the overall verdict when Exit gave one, under keys of their own
// beside the certificate keys. A bare board has no unit serial yet, so they are filed under the
// board serial.

#include <string>
#include <vector>

#include "operator/operator_interface.h"
#include "records/record_settings.h"
#include "records/results_store.h"
#include "serial/clock.h"
#include "unit/procedure_runs.h"
#include "unit/unit_state.h"

namespace endcap {

struct PcbTestItem {
  const char* key;
  const char* meaning;
};

// In key order.
inline constexpr PcbTestItem kPcbTestItems[] = {
    {"PCB.01", "PCB test board serial"},
    {"PCB.02", "PCB test supply voltages"},
    {"PCB.03", "PCB test supply current"},
    {"PCB.04", "PCB test internal RS485"},
    {"PCB.05", "PCB test RS485 link"},
    {"PCB.06", "PCB test overall result"},
};

std::vector<StoredResult> PcbTestItems(const RecordSettings& settings, const UnitState& unit, const PcbTestRun& run,
                                       const LocalDateTime& now);

// Stores the run's items in one transaction; a store that cannot take them is told to the
// operator. Empty when they were stored (or there were none), else the store's path and reason.
std::string RecordPcbTest(const RecordSettings& settings, const UnitState& unit, const PcbTestRun& run,
                          OperatorInterface& op, Clock& clock);

}  // namespace endcap
