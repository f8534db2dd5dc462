// endcap-store-bench: what the results store costs the operator: storing one calibration's
// results (one transaction), and writing a calibration sheet (its one read and its rows), on a
// store holding the results of one unit and of many.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "records/cal_sheet_dialog.h"
#include "records/certificate_items.h"
#include "serial/memory_device.h"
#include "serial/text_format.h"

namespace endcap {
namespace {

class SilentOperator : public OperatorInterface {
public:
  BoxAnswer ShowMessage(const MessageBox&) override { return BoxAnswer::No; }
  std::string PromptText(const std::string&, const std::string& defaultText) override { return defaultText; }
  uint8_t ChoosePort() override { return 0; }
};

class NoSpreadsheet : public SpreadsheetAutomation {
public:
  bool Start() override { return false; }
  bool OpenWorkbook(const std::string&) override { return false; }
  bool RunAutoMacros() override { return false; }
  bool ExportPdf(const std::string&) override { return false; }
  bool SetVisible(bool) override { return false; }
  bool SetUserControl(bool) override { return false; }
  bool WorkbookSaved(bool&) override { return false; }
  bool CloseWorkbooks() override { return false; }
  bool Quit() override { return false; }
  void Release() override {}
  std::string LastError() const override { return ""; }
};

class SheetView : public CalSheetView {
public:
  void SetSerialText(const std::string&) override {}
  std::string SerialText() const override { return "123456-001"; }
  void SetWaitCursor(bool) override {}
  void RunCertificatePrompt(CertificatePromptDialog& prompt) override { prompt.OnNo(); }
  void EndDialog() override {}
};

// A station on a fresh folder, with a finished inclinometer check of its unit.
struct Station {
  Station() {
    char pattern[] = "/tmp/endcap-store-bench-XXXXXX";
    folder = mkdtemp(pattern);
    std::filesystem::create_directories(folder + "/Endcap");
    settings.recordFolder = folder;
    settings.operatorId = "AB";
    unit.unitSerial = "123456-001";
    LoadDefaultLimits(limits);
    run.checkRun = true;
    run.checkSets[0].angleDeg = 5.0;
    run.checkSets[1].angleDeg = 45.0;
  }
  ~Station() { std::filesystem::remove_all(folder); }
  // Fills the store with the checks of other units, each in its own transaction.
  void Crowd(int units) {
    for (int u = 0; u < units; ++u) {
      UnitState other = unit;
      other.unitSerial = Format("%06d-002", u);
      StoreCertificateItems(settings, op, InclinometerCheckItems(settings, other, run, clock.Now()));
    }
  }

  void StoreCheck() {
    StoreCertificateItems(settings, op, InclinometerCheckItems(settings, unit, run, clock.Now()));
  }

  std::string folder;
  VirtualClock clock;
  SilentOperator op;
  RecordSettings settings;
  UnitState unit;
  DefaultLimits limits;
  InclinometerRun run;
};

void StoreOneInclinometerCheck(benchmark::State& state) {
  Station station;
  for (auto _ : state) station.StoreCheck();
  state.counters["results"] = 19;
}

void InclinometerSheet(benchmark::State& state) {
  Station station;
  station.Crowd(static_cast<int>(state.range(0)));
  station.StoreCheck();
  NoSpreadsheet spreadsheet;
  SheetView view;
  CalSheetDialog dialog(station.op, station.unit, station.settings, station.limits, spreadsheet,
                        station.folder + "/Endcap/");
  dialog.Attach(view);
  for (auto _ : state) dialog.WriteInclinometerSheet();
  state.counters["units in store"] = static_cast<double>(state.range(0) + 1);
}

BENCHMARK(StoreOneInclinometerCheck)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(InclinometerSheet)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond)->MinTime(0.5);

}  // namespace
}  // namespace endcap

BENCHMARK_MAIN();
