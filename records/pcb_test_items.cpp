#include "records/pcb_test_items.h"

#include <cmath>

#include "records/certificate_items.h"
#include "serial/text_format.h"

namespace endcap {

namespace {

enum PcbKey { kSerialKey, kSuppliesKey, kCurrentKey, kInternalRs485Key, kRs485LinkKey, kOverallKey };

constexpr const char* kNoReading = "no reading";

std::string Shown(const char* format, double value) { return std::isfinite(value) ? Format(format, value) : kNoReading; }

// A register as the unit's protocol shows it, flag byte and all.
std::string ShownRegister(double value) {
  return std::isfinite(value) ? Format("0x%04X", static_cast<unsigned>(value)) : kNoReading;
}

// The store holds numbers only: a reading that never came is stored as none.
void SetValues(CertificateResult& result, double value, double value2, double value3) {
  result.noValue = !std::isfinite(value);
  result.value = result.noValue ? 0.0 : value;
  result.value2 = std::isfinite(value2) ? value2 : 0.0;
  result.value3 = std::isfinite(value3) ? value3 : 0.0;
}

}  // namespace

std::vector<StoredResult> PcbTestItems(const RecordSettings& settings, const UnitState& unit, const PcbTestRun& run,
                                       const LocalDateTime& now) {
  std::vector<StoredResult> items;
  const auto add = [&](PcbKey key, CheckResult verdict) -> CertificateResult& {
    items.push_back(RecordedItem(settings, unit.boardSerial, kPcbTestItems[key].key, now));
    items.back().result.passFlag = static_cast<uint8_t>(verdict);
    return items.back().result;
  };
  if (run.serialResult != kCheckNotRun) add(kSerialKey, run.serialResult).text = run.serialEntered;
  if (run.suppliesResult != kCheckNotRun) {
    const SupplyReadings& board = run.boardSupplies;
    const SupplyReadings& external = run.externalSupplies;
    CertificateResult& result = add(kSuppliesKey, run.suppliesResult);
    SetValues(result, board.plus12, board.minus12, board.v3v3);
    result.text = "board +12V " + Shown("%.2f", board.plus12) + " -12V " + Shown("%.2f", board.minus12) + " 3.3V " +
                  Shown("%.2f", board.v3v3) + ", external +12V " + Shown("%.2f", external.plus12) + " -12V " +
                  Shown("%.2f", external.minus12);
  }
  if (run.currentResult != kCheckNotRun) {
    CertificateResult& result = add(kCurrentKey, run.currentResult);
    SetValues(result, run.unloadedCurrentMa, run.loadedCurrentMa, 0.0);
    result.text = "unloaded " + Shown("%.1f mA", run.unloadedCurrentMa) + ", loaded " +
                  Shown("%.1f mA", run.loadedCurrentMa);
  }
  if (run.internalRs485Result != kCheckNotRun) {
    const std::array<double, 2>& back = run.loopReadBack;
    CertificateResult& result = add(kInternalRs485Key, run.internalRs485Result);
    SetValues(result, back[0], back[1], 0.0);
    result.text = "read back " + ShownRegister(back[0]) + ", " + ShownRegister(back[1]);
  }
  if (run.rs485CommsResult != kCheckNotRun) add(kRs485LinkKey, run.rs485CommsResult);
  if (run.overallResult != kCheckNotRun) add(kOverallKey, run.overallResult);
  return items;
}

std::string RecordPcbTest(const RecordSettings& settings, const UnitState& unit, const PcbTestRun& run,
                          OperatorInterface& op, Clock& clock) {
  const std::vector<StoredResult> items = PcbTestItems(settings, unit, run, clock.Now());
  if (items.empty()) return {};
  const ResultsStore store = ResultsStoreOf(settings);
  std::string error;
  if (store.Store(items, error)) return {};
  op.ShowMessage(UnownedBox("Unable to store the PCB test results in " + store.path() + "\r\n" + error +
                            "\r\nThe verdict shown and the factory record in the unit stand."));
  return store.path() + ": " + error;
}

}  // namespace endcap
