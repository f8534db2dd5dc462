// store check, store copy FROM TO: which results store the station uses and whether it opens,
// and moving results between stores (a station's file into the lab's server, and back). No
// unit is needed.

#include <CLI/CLI.hpp>
#include <memory>

#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "records/certificate_items.h"
#include "records/copy_results.h"

namespace endcap {

namespace {

int RunStoreCheck(CliSession& session) {
  session.app.CreateStatusFolders();
  const ResultsStore store = ResultsStoreOf(session.app.settings.records);
  session.streams.out << "results store: " << store.path() << '\n';
  int version = 0;
  std::string error;
  if (!store.Version(version, error)) return session.Fail("it does not open: " + error);
  session.streams.out << "opens: yes\n";
  if (version == 0) {
    session.streams.out << "schema version: none yet (the first results stored create version "
                        << ResultsStore::kSchemaVersion << ")\n";
    return kExitDone;
  }
  session.streams.out << "schema version: " << version << '\n';
  if (version > ResultsStore::kSchemaVersion)
    return session.Fail("this station reads and writes version " + std::to_string(ResultsStore::kSchemaVersion) +
                        " only: the store was written by a newer station");
  return kExitDone;
}

int RunStoreCopy(CliSession& session, const std::string& fromLocation, const std::string& toLocation) {
  const ResultsStore from(fromLocation), to(toLocation);
  CopyCount count;
  std::string error;
  if (!CopyResults(from, to, count, error)) return session.Fail("nothing was copied: " + error);
  session.streams.out << "copied " << count.copied << " results from " << from.path() << " to " << to.path() << " ("
                      << count.alreadyThere << " already there)\n";
  return kExitDone;
}

}  // namespace

void AddStoreCommands(CLI::App& cli, CliOptions& options) {
  CLI::App* store = cli.add_subcommand("store", "the results store: check it, or copy results between stores");
  store->require_subcommand(1);
  store->add_subcommand("check",
                        "say which results store is in use (--store, or the file in the status folder), whether "
                        "it opens, and its schema version")
      ->callback([&options] { options.run = [](CliSession& session) { return RunStoreCheck(session); }; });
  auto locations = std::make_shared<std::pair<std::string, std::string>>();
  CLI::App* copy = store->add_subcommand(
      "copy",
      "copy every result of store FROM into store TO (each a file path or a postgresql:// URI), keeping each "
      "result's stored time; results TO already holds are not copied again");
  copy->add_option("FROM", locations->first, "the store to copy from")->required();
  copy->add_option("TO", locations->second, "the store to copy into; created when it does not exist")->required();
  copy->callback([&options, locations] {
    options.run = [locations](CliSession& session) {
      return RunStoreCopy(session, locations->first, locations->second);
    };
  });
}

}  // namespace endcap
