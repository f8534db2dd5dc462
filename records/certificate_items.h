#pragma once
// What the record operations keep in the results store for the certificates: the items of an
// inclinometer check and of a strain-gauge calibration or check, each named by its key on the
// certificate, taken from the procedure's run.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "operator/operator_interface.h"
#include "records/record_settings.h"
#include "records/results_store.h"
#include "serial/clock.h"
#include "unit/procedure_runs.h"
#include "unit/unit_state.h"

namespace endcap {

// After an inclinometer check: "3.02.01" (who and when), "3.03.01"/"3.03.02" the level
// reading, then for each check set the four positions (bow 0, 90, 180, 270) as a pitch key and
// a roll key each, "3.03.03" to "3.03.10" for the first set and "3.03.11" to "3.03.18" for the
// second. Nothing when no check ran.
std::vector<StoredResult> InclinometerCheckItems(const RecordSettings& settings, const UnitState& unit,
                                                 const InclinometerRun& run, const LocalDateTime& now);

// After a strain-gauge calibration or check: the reference gauge "3.04.01" to "3.04.05"; after
// a check also each point done, "3.05.01" (0 %) to "3.05.06" (100 %), and the reference
// conditions "3.05.07" to "3.05.10". Nothing when neither ran.
std::vector<StoredResult> StrainGaugeItems(const RecordSettings& settings, const UnitState& unit, const StrainGaugeRun& run,
                                           const LocalDateTime& now);

// The pressure applied at a stored strain-gauge check point, from its text ("Applied 1400.000").
double AppliedPsiOf(const CertificateResult& point);

// Stores the items in one transaction; a store that cannot be written is told to the operator.
// Empty when they were stored (or there were none), else the store's path and reason.
std::string StoreCertificateItems(const RecordSettings& settings, OperatorInterface& op,
                                  const std::vector<StoredResult>& items);

// An item of serial under key, stored now by the operator of settings: who and when filled in,
// no verdict, value or text yet.
StoredResult RecordedItem(const RecordSettings& settings, const std::string& serial, const std::string& key,
                          const LocalDateTime& now);

// The keys of a check position's pitch and roll items: check set 0 or 1, bow position 0 to 3
// (bow at 0, 90, 180, 270 degrees).
std::string InclinometerCheckPitchKey(int set, int position);
std::string InclinometerCheckRollKey(int set, int position);
// The key of pressure point 0 (0 % of full scale) to 5 (100 %).
std::string PressurePointKey(int point);

// The store of the settings: resultsStorePath, or the one in the status folder.
ResultsStore ResultsStoreOf(const RecordSettings& settings);

// The newest stored result of each key of unitSerial, read once for a whole sheet; nothing,
// with the store's reason in error, when the store cannot be read.
std::optional<std::map<std::string, CertificateResult>> ReadCertificateResults(const RecordSettings& settings,
                                                                               const std::string& unitSerial,
                                                                               std::string& error);
// The result of key among those read; an empty result when the store has none.
CertificateResult LookupCertificateResult(const std::map<std::string, CertificateResult>& results,
                                          const std::string& key);

}  // namespace endcap
