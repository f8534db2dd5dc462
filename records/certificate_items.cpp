#include "records/certificate_items.h"

#include <cmath>
#include <iterator>

#include "serial/text_format.h"
#include "unit/conversions.h"

namespace endcap {

namespace {

// Who records the items and of which unit.
struct Recording {
  const RecordSettings& settings;
  const UnitState& unit;
};

// A result as the record operations store it: who, when, verdict, value and text.
StoredResult Item(const Recording& by, const LocalDateTime& now, const std::string& key) {
  return RecordedItem(by.settings, by.unit.unitSerial, key, now);
}

// A value that is not a number (a reading that never came, an entry such as "nan") is stored
// as no value: the store holds numbers only.
void SetValue(StoredResult& item, double value) {
  item.result.noValue = !std::isfinite(value);
  item.result.value = item.result.noValue ? 0.0 : value;
}

constexpr const char* kNoReading = "no reading";
constexpr const char kAppliedPrefix[] = "Applied ";

StoredResult ReadingItem(const Recording& by, const LocalDateTime& now, const std::string& key,
                         const CheckReading& reading, double nominalDeg) {
  StoredResult item = Item(by, now, key);
  const bool read = std::isfinite(reading.pitchDeg) && std::isfinite(reading.rollDeg);
  item.result.passFlag = read && reading.pass ? 1 : 0;
  SetValue(item, nominalDeg);
  item.result.text = read ? Format("Pitch %.3f Roll %.3f", reading.pitchDeg, reading.rollDeg) : kNoReading;
  return item;
}

StoredResult ValueItem(const Recording& by, const LocalDateTime& now, const std::string& key, double value) {
  StoredResult item = Item(by, now, key);
  SetValue(item, value);
  return item;
}

StoredResult TextItem(const Recording& by, const LocalDateTime& now, const std::string& key,
                      const std::string& text) {
  StoredResult item = Item(by, now, key);
  item.result.text = text;
  return item;
}

}  // namespace

StoredResult RecordedItem(const RecordSettings& settings, const std::string& serial, const std::string& key,
                          const LocalDateTime& now) {
  StoredResult item;
  item.unitSerial = serial;
  item.key = key;
  item.result.day = static_cast<uint8_t>(now.day);
  item.result.month = static_cast<uint8_t>(now.month);
  item.result.year = static_cast<uint8_t>(now.year - 2000);
  item.result.name = settings.operatorId;
  item.storedAt = Format("%04d-%02d-%02d %02d:%02d:%02d", now.year, now.month, now.day, now.hour, now.minute, now.second);
  return item;
}

ResultsStore ResultsStoreOf(const RecordSettings& settings) {
  return ResultsStore(settings.resultsStorePath.empty() ? DefaultResultsStorePath(settings.recordFolder)
                                                        : settings.resultsStorePath);
}

std::string InclinometerCheckPitchKey(int set, int position) { return Format("3.03.%02d", 3 + set * 8 + position * 2); }

std::string InclinometerCheckRollKey(int set, int position) { return Format("3.03.%02d", 4 + set * 8 + position * 2); }

std::string PressurePointKey(int point) { return Format("3.05.%02d", point + 1); }

std::vector<StoredResult> InclinometerCheckItems(const RecordSettings& settings, const UnitState& unit,
                                                 const InclinometerRun& run, const LocalDateTime& now) {
  std::vector<StoredResult> items;
  if (!run.checkRun) return items;
  const Recording by{settings, unit};
  items.push_back(Item(by, now, "3.02.01"));
  items.push_back(ReadingItem(by, now, "3.03.01", run.checkLevelReading, 0.0));
  items.push_back(ReadingItem(by, now, "3.03.02", run.checkLevelReading, 0.0));
  for (int s = 0; s < static_cast<int>(std::size(run.checkSets)); ++s) {
    const CheckSet& set = run.checkSets[s];
    const double a = set.angleDeg;
    // The nominal angle of each axis at bow 0, 90, 180 and 270.
    const double pitchNominal[4] = {a, 0.0, -a, 0.0};
    const double rollNominal[4] = {0.0, a, 0.0, -a};
    for (int position = 0; position < 4; ++position) {
      const CheckReading& reading = set.readings[position];
      items.push_back(ReadingItem(by, now, InclinometerCheckPitchKey(s, position), reading, pitchNominal[position]));
      items.push_back(ReadingItem(by, now, InclinometerCheckRollKey(s, position), reading, rollNominal[position]));
    }
  }
  return items;
}

std::vector<StoredResult> StrainGaugeItems(const RecordSettings& settings, const UnitState& unit, const StrainGaugeRun& run,
                                           const LocalDateTime& now) {
  std::vector<StoredResult> items;
  if (!run.calRun && !run.checkRun) return items;
  const Recording by{settings, unit};
  items.push_back(TextItem(by, now, "3.04.01", run.gaugeManufacturer));
  items.push_back(TextItem(by, now, "3.04.02", run.gaugeModel));
  items.push_back(ValueItem(by, now, "3.04.03", unit.gaugeSerialNo));
  items.push_back(ValueItem(by, now, "3.04.04", unit.gaugeFullScaleBar));
  items.push_back(ValueItem(by, now, "3.04.05", unit.gaugeAccuracyPercent));
  if (!run.checkRun) return items;
  for (int i = 0; i < 6; ++i) {
    const PressurePoint& point = run.pressurePoints[i];
    if (!point.done) continue;
    // The same verdict as the point's record line.
    const double tolerance = point.fullScalePsi * point.accuracyPercent * 0.01;
    const bool read = std::isfinite(point.readPsi);
    // The applied pressure leads the text either way: AppliedPsiOf reads it from there.
    StoredResult item = TextItem(by, now, PressurePointKey(i),
                                 kAppliedPrefix + point.appliedText + (read ? "" : std::string(" ") + kNoReading));
    SetValue(item, point.readPsi);
    item.result.passFlag = read && std::fabs(point.readPsi - LeadingDouble(point.appliedText)) <= tolerance ? 1 : 0;
    items.push_back(item);
  }
  items.push_back(ValueItem(by, now, "3.05.07", run.temperatureDegC));
  items.push_back(ValueItem(by, now, "3.05.08", run.atmosphericPressureMb));
  items.push_back(TextItem(by, now, "3.05.09", run.equipmentUsed));
  items.push_back(ValueItem(by, now, "3.05.10", run.equipmentIdNo));
  return items;
}

double AppliedPsiOf(const CertificateResult& point) {
  constexpr size_t from = sizeof kAppliedPrefix - 1;
  return point.text.size() > from ? LeadingDouble(point.text.substr(from)) : 0.0;
}

std::string StoreCertificateItems(const RecordSettings& settings, OperatorInterface& op,
                                  const std::vector<StoredResult>& items) {
  if (items.empty()) return {};
  const ResultsStore store = ResultsStoreOf(settings);
  std::string error;
  if (store.Store(items, error)) return {};
  op.ShowMessage(UnownedBox("Unable to store the calibration results in " + store.path() + "\r\n" + error +
                                   "\r\nThe record file has them; the calibration sheets will not."));
  return store.path() + ": " + error;
}

std::optional<std::map<std::string, CertificateResult>> ReadCertificateResults(const RecordSettings& settings,
                                                                               const std::string& unitSerial,
                                                                               std::string& error) {
  std::map<std::string, CertificateResult> results;
  if (!ResultsStoreOf(settings).Newest(unitSerial, results, error)) return std::nullopt;
  return results;
}

CertificateResult LookupCertificateResult(const std::map<std::string, CertificateResult>& results,
                                          const std::string& key) {
  const auto found = results.find(key);
  return found == results.end() ? CertificateResult() : found->second;
}

}  // namespace endcap
