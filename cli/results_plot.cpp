#include "cli/results_plot.h"

#include <vector>

#include "console/chart_file.h"
#include "records/certificate_items.h"
#include "records/check_chart.h"

namespace endcap {

int PlotResults(CliSession& session, const std::string& serial, const std::string& file) {
  session.app.CreateStatusFolders();
  const RecordSettings& settings = session.app.settings.records;
  const std::string store = ResultsStoreOf(settings).path();
  // The limits every station judges by, as the check did.
  DefaultLimits limits;
  LoadDefaultLimits(limits);
  std::vector<CheckChart> charts;
  std::string error;
  if (!ReadCheckCharts(settings, limits, serial, charts, error))
    return session.Fail("cannot read the results store " + store + ": " + error);
  if (charts.empty()) return session.Fail("no inclinometer or strain-gauge check stored for " + serial + " in " + store);
  if (!WriteCheckChartsFile(charts, file, error)) return session.Fail(error);
  return kExitDone;
}

}  // namespace endcap
