// endcap-store-bench: what the results store costs the operator: storing one calibration's
// results (one transaction), and writing a calibration sheet (its one read and its rows), on a
// store holding the results of one unit and of 100,000, in an SQLite file and in a PostgreSQL
// database (a throwaway server on this machine's Unix socket); and eight stations storing at
// once. Each figure is the median of five runs.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "records/cal_sheet_dialog.h"
#include "records/certificate_items.h"
#include "serial/memory_device.h"
#include "serial/text_format.h"
#include "tests/support/postgres_server.h"

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

// A station on a fresh folder, storing into location, with a finished inclinometer check.
struct Station {
  Station(const std::string& location, const std::string& serial) {
    char pattern[] = "/tmp/endcap-store-bench-XXXXXX";
    folder = mkdtemp(pattern);
    std::filesystem::create_directories(folder + "/Endcap");
    settings.recordFolder = folder;
    settings.resultsStorePath = location;
    settings.operatorId = "AB";
    unit.unitSerial = serial;
    LoadDefaultLimits(limits);
    run.checkRun = true;
    run.checkSets[0].angleDeg = 5.0;
    run.checkSets[1].angleDeg = 45.0;
  }
  ~Station() { std::filesystem::remove_all(folder); }

  void StoreCheck() {
    if (!StoreCertificateItems(settings, op, InclinometerCheckItems(settings, unit, run, clock.Now())).empty())
      std::abort();
  }

  std::string folder;
  VirtualClock clock;
  SilentOperator op;
  RecordSettings settings;
  UnitState unit;
  DefaultLimits limits;
  InclinometerRun run;
};

enum class Kind { File, Server };

std::unique_ptr<testing::PostgresServer> server;
std::string fileFolder;

// A store of kind holding the checks of units (the benchmarked unit among them), made once and
// filled in transactions of many units each, as a copy would.
std::string StoreWith(Kind kind, int units) {
  static std::map<std::pair<Kind, int>, std::string> made;
  std::string& location = made[{kind, units}];
  if (!location.empty()) return location;
  const std::string name = "units_" + std::to_string(units);
  if (kind == Kind::File) {
    location = fileFolder + "/" + name + ".sqlite";
  } else {
    if (!server) {
      server = std::make_unique<testing::PostgresServer>();
      if (!server->Start()) {
        std::fprintf(stderr, "endcap-store-bench: %s\n", server->why().c_str());
        std::exit(1);
      }
    }
    location = server->NewDatabase(name);
  }
  Station station(location, "123456-001");
  const ResultsStore store(location);
  const std::vector<StoredResult> check =
      InclinometerCheckItems(station.settings, station.unit, station.run, station.clock.Now());
  constexpr int kUnitsPerTransaction = 5000;
  std::vector<StoredResult> rows;
  for (int u = 1; u < units; ++u) {
    for (StoredResult row : check) {
      row.unitSerial = Format("%06d-002", u);
      rows.push_back(std::move(row));
    }
    std::string error;
    if ((u % kUnitsPerTransaction == 0 || u == units - 1) && !store.Store(rows, error)) {
      std::fprintf(stderr, "endcap-store-bench: %s\n", error.c_str());
      std::exit(1);
    }
    if (u % kUnitsPerTransaction == 0) rows.clear();
  }
  station.StoreCheck();
  return location;
}

void StoreOneInclinometerCheck(benchmark::State& state, Kind kind, int units) {
  Station station(StoreWith(kind, units), "123456-001");
  for (auto _ : state) station.StoreCheck();
  state.counters["results"] = 19;
}

void InclinometerSheet(benchmark::State& state, Kind kind, int units) {
  Station station(StoreWith(kind, units), "123456-001");
  NoSpreadsheet spreadsheet;
  SheetView view;
  CalSheetDialog dialog(station.op, station.unit, station.settings, station.limits, spreadsheet,
                        station.folder + "/Endcap/");
  dialog.Attach(view);
  for (auto _ : state) {
    dialog.WriteInclinometerSheet();
    if (dialog.sheetOutcome != SheetOutcome::Written) std::abort();
  }
}

// Each thread a station storing its own unit's checks, all into one store at once.
void EightStationsStoring(benchmark::State& state, Kind kind) {
  Station station(StoreWith(kind, 1), Format("%06d-008", state.thread_index()));
  for (auto _ : state) station.StoreCheck();
}

void Register() {
  for (const auto& [kind, name] : {std::pair{Kind::File, "sqlite"}, std::pair{Kind::Server, "postgresql"}}) {
    for (const int units : {1, 100000}) {
      const std::string suffix = std::string("/") + name + "/" + std::to_string(units);
      benchmark::RegisterBenchmark(("StoreOneInclinometerCheck" + suffix).c_str(), StoreOneInclinometerCheck, kind,
                                   units)
          ->Unit(benchmark::kMillisecond);
      benchmark::RegisterBenchmark(("InclinometerSheet" + suffix).c_str(), InclinometerSheet, kind, units)
          ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark((std::string("EightStationsStoring/") + name).c_str(), EightStationsStoring, kind)
        ->Threads(8)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
  }
}

}  // namespace
}  // namespace endcap

int main(int argc, char** argv) {
  char pattern[] = "/tmp/endcap-store-bench-XXXXXX";
  endcap::fileFolder = mkdtemp(pattern);
  endcap::Register();
  // Medians of five runs unless the command line says otherwise: its options come later.
  std::vector<char*> args{argv[0]};
  std::string defaults[] = {"--benchmark_repetitions=5", "--benchmark_report_aggregates_only=true",
                            "--benchmark_min_time=0.5"};
  for (std::string& d : defaults) args.push_back(d.data());
  args.insert(args.end(), argv + 1, argv + argc);
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  endcap::server.reset();
  std::filesystem::remove_all(endcap::fileFolder);
  return 0;
}
