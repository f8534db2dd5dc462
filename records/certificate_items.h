#pragma once
// What the record operations keep in the results store for the certificates: the items of an
// inclinometer check and of a strain-gauge calibration or check, each named by its key on the
// certificate, taken from what the procedures left on the unit object.

#include <vector>

#include "records/results_store.h"
#include "unit/modbus_link.h"

namespace endcap {

// After an inclinometer check: "3.02.01" (who and when), "3.03.01"/"3.03.02" the level
// reading, then for each check set the four positions (bow 0, 90, 180, 270) as a pitch key and
// a roll key each, "3.03.03" to "3.03.10" for the first set and "3.03.11" to "3.03.18" for the
// second. Nothing when no check ran.
std::vector<StoredResult> InclinometerCheckItems(const ModbusLink& link, const LocalDateTime& now);

// After a strain-gauge calibration or check: the reference gauge "3.04.01" to "3.04.05"; after
// a check also each point done, "3.05.01" (0 %) to "3.05.06" (100 %), and the reference
// conditions "3.05.07" to "3.05.10". Nothing when neither ran.
std::vector<StoredResult> StrainGaugeItems(const ModbusLink& link, const LocalDateTime& now);

// Stores the items in one transaction; a store that cannot be written is told to the operator.
// Empty when they were stored (or there were none), else the store's path and reason.
std::string StoreCertificateItems(ModbusLink& link, const std::vector<StoredResult>& items);

// The store the link uses: resultsStorePath, or the one in the status folder.
ResultsStore ResultsStoreOf(const ModbusLink& link);

}  // namespace endcap
