#include "records/certificate_items.h"

#include <cmath>

#include "serial/text_format.h"
#include "unit/conversions.h"

namespace endcap {

namespace {

// A result as the record operations store it: who, when, verdict, value and text.
StoredResult Item(const ModbusLink& link, const LocalDateTime& now, const std::string& key) {
  StoredResult item;
  item.unitSerial = link.unitSerial;
  item.key = key;
  item.result.day = static_cast<uint8_t>(now.day);
  item.result.month = static_cast<uint8_t>(now.month);
  item.result.year = static_cast<uint8_t>(now.year - 2000);
  item.result.name = link.OperatorId;
  item.storedAt = Format("%04d-%02d-%02d %02d:%02d:%02d", now.year, now.month, now.day, now.hour, now.minute, now.second);
  return item;
}

// A value that is not a number (a reading that never came, an entry such as "nan") is stored
// as no value: the store holds numbers only.
void SetValue(StoredResult& item, double value) {
  item.result.noValue = !std::isfinite(value);
  item.result.value = item.result.noValue ? 0.0 : value;
}

constexpr const char* kNoReading = "no reading";

StoredResult ReadingItem(const ModbusLink& link, const LocalDateTime& now, const std::string& key,
                         const CheckReading& reading, double nominalDeg) {
  StoredResult item = Item(link, now, key);
  const bool read = std::isfinite(reading.pitchDeg) && std::isfinite(reading.rollDeg);
  item.result.passFlag = read && reading.pass ? 1 : 0;
  SetValue(item, nominalDeg);
  item.result.text = read ? Format("Pitch %.3f Roll %.3f", reading.pitchDeg, reading.rollDeg) : kNoReading;
  return item;
}

StoredResult ValueItem(const ModbusLink& link, const LocalDateTime& now, const std::string& key, double value) {
  StoredResult item = Item(link, now, key);
  SetValue(item, value);
  return item;
}

StoredResult TextItem(const ModbusLink& link, const LocalDateTime& now, const std::string& key,
                      const std::string& text) {
  StoredResult item = Item(link, now, key);
  item.result.text = text;
  return item;
}

}  // namespace

ResultsStore ResultsStoreOf(const ModbusLink& link) {
  return ResultsStore(link.resultsStorePath.empty() ? DefaultResultsStorePath(link.recordFolder) : link.resultsStorePath);
}

std::vector<StoredResult> InclinometerCheckItems(const ModbusLink& link, const LocalDateTime& now) {
  std::vector<StoredResult> items;
  if (!link.inclinometerCheckRun) return items;
  items.push_back(Item(link, now, "3.02.01"));
  items.push_back(ReadingItem(link, now, "3.03.01", link.checkLevelReading, 0.0));
  items.push_back(ReadingItem(link, now, "3.03.02", link.checkLevelReading, 0.0));
  int key = 3;
  for (const CheckSet& set : link.checkSets) {
    const double a = set.angleDeg;
    // The nominal angle of each axis at bow 0, 90, 180 and 270.
    const double pitchNominal[4] = {a, 0.0, -a, 0.0};
    const double rollNominal[4] = {0.0, a, 0.0, -a};
    for (int position = 0; position < 4; ++position) {
      const CheckReading& reading = set.readings[position];
      items.push_back(ReadingItem(link, now, Format("3.03.%02d", key++), reading, pitchNominal[position]));
      items.push_back(ReadingItem(link, now, Format("3.03.%02d", key++), reading, rollNominal[position]));
    }
  }
  return items;
}

std::vector<StoredResult> StrainGaugeItems(const ModbusLink& link, const LocalDateTime& now) {
  std::vector<StoredResult> items;
  if (!link.strainGaugeCalRun && !link.strainGaugeCheckRun) return items;
  items.push_back(TextItem(link, now, "3.04.01", link.gaugeManufacturer));
  items.push_back(TextItem(link, now, "3.04.02", link.gaugeModel));
  items.push_back(ValueItem(link, now, "3.04.03", link.gaugeSerialNo));
  items.push_back(ValueItem(link, now, "3.04.04", link.gaugeFullScaleBar));
  items.push_back(ValueItem(link, now, "3.04.05", link.gaugeAccuracyPercent));
  if (!link.strainGaugeCheckRun) return items;
  for (int i = 0; i < 6; ++i) {
    const PressurePoint& point = link.pressurePoints[i];
    if (!point.done) continue;
    // The same verdict as the point's record line.
    const double tolerance = point.fullScalePsi * point.accuracyPercent * 0.01;
    const bool read = std::isfinite(point.readPsi);
    // The applied pressure leads the text either way: the sheet reads it from there.
    StoredResult item = TextItem(link, now, Format("3.05.%02d", i + 1),
                                 "Applied " + point.appliedText + (read ? "" : std::string(" ") + kNoReading));
    SetValue(item, point.readPsi);
    item.result.passFlag = read && std::fabs(point.readPsi - LeadingDouble(point.appliedText)) <= tolerance ? 1 : 0;
    items.push_back(item);
  }
  items.push_back(ValueItem(link, now, "3.05.07", link.temperatureDegC));
  items.push_back(ValueItem(link, now, "3.05.08", link.atmosphericPressureMb));
  items.push_back(TextItem(link, now, "3.05.09", link.equipmentUsed));
  items.push_back(ValueItem(link, now, "3.05.10", link.equipmentIdNo));
  return items;
}

std::string StoreCertificateItems(ModbusLink& link, const std::vector<StoredResult>& items) {
  if (items.empty()) return {};
  const ResultsStore store = ResultsStoreOf(link);
  std::string error;
  if (store.Store(items, error)) return {};
  link.op().ShowMessage(UnownedBox("Unable to store the calibration results in " + store.path() + "\r\n" + error +
                                   "\r\nThe record file has them; the calibration sheets will not."));
  return store.path() + ": " + error;
}

bool ModbusLink::ReadCertificateResults(std::string& error) {
  return ResultsStoreOf(*this).Newest(unitSerial, certificateResults, error);
}

CertificateResult ModbusLink::LookupCertificateResult(const std::string& key) const {
  const auto found = certificateResults.find(key);
  return found == certificateResults.end() ? CertificateResult() : found->second;
}

}  // namespace endcap
