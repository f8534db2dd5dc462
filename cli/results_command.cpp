// results: what the results store holds for a unit, one stored result a line under a header,
// or as one JSON object. No unit is needed.

#include <CLI/CLI.hpp>
#include <memory>
#include <optional>

#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "cli/json_writer.h"
#include "cli/results_plot.h"
#include "records/certificate_items.h"
#include "records/result_key_meanings.h"
#include "serial/text_format.h"

namespace endcap {

namespace {

struct ResultsRequest {
  std::string serial;
  bool json = false;
  std::string plot;  // a chart file to draw instead of the listing
};

// PASS or FAIL for an item that carries a verdict; nothing for a text or a reference value.
std::optional<std::string> Verdict(const StoredResult& row, const std::optional<ResultKeyMeaning>& meaning) {
  if (meaning && !meaning->hasVerdict) return std::nullopt;
  if (row.result.passFlag == 0) return "FAIL";
  if (row.result.passFlag == 1) return "PASS";
  return std::nullopt;
}

std::string ValuesText(const CertificateResult& r) {
  std::string text = r.noValue ? std::string() : Format("%.10g", r.value);
  if (r.value2 != 0.0 || r.value3 != 0.0) text += Format(" %.10g %.10g", r.value2, r.value3);
  return text;
}

void PrintTable(std::ostream& out, const ResultsRequest& request, const std::string& storePath,
                const std::vector<StoredResult>& rows) {
  out << "Results stored for " << request.serial << " in " << storePath << '\n'
      << "Key and meaning\tDate\tOperator\tVerdict\tValue\tText\n";
  for (const StoredResult& row : rows) {
    const CertificateResult& r = row.result;
    const std::optional<ResultKeyMeaning> meaning = MeaningOfResultKey(row.key);
    out << row.key << (meaning ? " " + meaning->meaning : std::string()) << '\t'
        << Format("%02d/%02d/%04d", r.day, r.month, r.year + 2000) << '\t' << r.name << '\t'
        << Verdict(row, meaning).value_or("") << '\t' << ValuesText(r) << '\t' << r.text << '\n';
  }
}

void PrintJson(std::ostream& out, const ResultsRequest& request, const std::string& storePath,
               const std::vector<StoredResult>& rows) {
  JsonWriter json;
  json.BeginObject().Key("unit_serial").String(request.serial).Key("store").String(storePath).Key("items").BeginArray();
  for (const StoredResult& row : rows) {
    const CertificateResult& r = row.result;
    const std::optional<ResultKeyMeaning> meaning = MeaningOfResultKey(row.key);
    const std::optional<std::string> verdict = Verdict(row, meaning);
    json.BeginObject().Key("key").String(row.key).Key("meaning");
    if (meaning) json.String(meaning->meaning);
    else json.Null();
    json.Key("date").String(Format("%04d-%02d-%02d", r.year + 2000, r.month, r.day));
    json.Key("stored_at").String(row.storedAt).Key("operator").String(r.name).Key("verdict");
    if (verdict) json.String(*verdict);
    else json.Null();
    json.Key("values").BeginArray();
    if (r.noValue) json.Null();
    else json.Number(r.value);
    json.Number(r.value2).Number(r.value3).EndArray();
    json.Key("text").String(r.text).EndObject();
  }
  json.EndArray().EndObject();
  out << json.text() << '\n';
}

int RunResults(CliSession& session, const ResultsRequest& request) {
  session.app.CreateStatusFolders();
  const ResultsStore store = ResultsStoreOf(session.app.settings.records);
  std::vector<StoredResult> rows;
  std::string error;
  if (!store.List(request.serial, rows, error))
    return session.Fail("cannot read the results store " + store.path() + ": " + error);
  if (rows.empty()) return session.Fail("no results stored for " + request.serial + " in " + store.path());
  if (request.json)
    PrintJson(session.streams.out, request, store.path(), rows);
  else
    PrintTable(session.streams.out, request, store.path(), rows);
  return kExitDone;
}

}  // namespace

void AddResultsCommand(CLI::App& cli, CliOptions& options) {
  auto request = std::make_shared<ResultsRequest>();
  CLI::App* sub = cli.add_subcommand(
      "results",
      "list what the results store holds for unit SERIAL: a header, then key and its meaning, date, operator, "
      "verdict (for the items that have one), value, text, tab-separated, in key order and, within a key, oldest "
      "first (the sheets take the last); status 1 when nothing is stored for SERIAL");
  sub->add_option("SERIAL", request->serial, "the unit serial as stored, such as 123456-007")->required();
  sub->add_flag("--json", request->json,
                "print one JSON object instead: unit_serial, store, and items, each with key, meaning, date, "
                "stored_at, operator, verdict, values and text");
  sub->add_option("--plot", request->plot,
                  "instead, draw the newest stored inclinometer and strain-gauge checks' errors against their "
                  "tolerance into FILE, PNG or SVG by its extension (no display needed)")
      ->type_name("FILE");
  sub->callback([&options, request] {
    options.run = [request](CliSession& session) {
      return request->plot.empty() ? RunResults(session, *request) : PlotResults(session, request->serial, request->plot);
    };
  });
}

}  // namespace endcap
