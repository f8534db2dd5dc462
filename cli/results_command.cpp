// results: what the results store holds for a unit, one stored result a line. No unit is
// needed.

#include <CLI/CLI.hpp>
#include <memory>

#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "cli/results_plot.h"
#include "records/certificate_items.h"
#include "serial/text_format.h"

namespace endcap {

namespace {

const char* VerdictWord(uint8_t passFlag) {
  if (passFlag == 0) return "FAIL";
  if (passFlag == 1) return "PASS";
  return "-";
}

int RunResults(CliSession& session, const std::string& serial) {
  session.app.CreateStatusFolders();
  const ResultsStore store = ResultsStoreOf(session.app.settings.records);
  std::vector<StoredResult> rows;
  std::string error;
  if (!store.List(serial, rows, error)) return session.Fail("cannot read the results store " + store.path() + ": " + error);
  if (rows.empty()) session.streams.err << "endcap-cli: no results stored for " << serial << " in " << store.path() << '\n';
  for (const StoredResult& row : rows) {
    const CertificateResult& r = row.result;
    session.streams.out << row.key << '\t' << Format("%02d/%02d/%04d", r.day, r.month, r.year + 2000) << '\t' << r.name
                        << '\t' << VerdictWord(r.passFlag) << '\t' << Format("%.10g", r.value) << '\t' << r.text
                        << '\n';
  }
  return kExitDone;
}

}  // namespace

void AddResultsCommand(CLI::App& cli, CliOptions& options) {
  auto serial = std::make_shared<std::string>();
  CLI::App* sub = cli.add_subcommand(
      "results",
      "list what the results store holds for unit SERIAL: key, date, name, verdict, value, text, tab-separated, "
      "in key order and, within a key, oldest first (the sheets take the last)");
  sub->add_option("SERIAL", *serial, "the unit serial as stored, such as 123456-007")->required();
  auto plot = std::make_shared<std::string>();
  sub->add_option("--plot", *plot,
                  "instead, draw the newest stored inclinometer and strain-gauge checks' errors against their "
                  "tolerance into FILE, PNG or SVG by its extension (no display needed)")
      ->type_name("FILE");
  sub->callback([&options, serial, plot] {
    options.run = [serial, plot](CliSession& session) {
      return plot->empty() ? RunResults(session, *serial) : PlotResults(session, *serial, *plot);
    };
  });
}

}  // namespace endcap
