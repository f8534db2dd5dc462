// pcb-test: the main window's PCB test command, run after Connect, with the PCB test dialog on
// the terminal.

#include <CLI/CLI.hpp>
#include <memory>

#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "cli/pcb_test_runner.h"

namespace endcap {

namespace {

int RunPcbTest(CliSession& session, const std::vector<std::string>& actions) {
  std::vector<int> presses;
  for (const std::string& action : actions) presses.push_back(PcbActionId(action));
  return session.RunInWindow([&](MainDialog& dialog, TextView& view) {
    bool opened = false;
    CheckResult verdict = kCheckNotRun;
    bool recordWritten = false;
    bool unitLost = false;
    view.pcbTest = [&](PcbTestDialog& pcb) {
      opened = true;
      RunPcbTestOnTerminal(pcb, presses, session.streams.in, session.streams.err, session.streams.echoAnswers);
      verdict = pcb.run.overallResult;
      recordWritten = pcb.run.factoryRecordWritten;
      unitLost = pcb.run.unitLost;
    };
    dialog.OnPcbTest();
    if (!dialog.connected) return session.UnitFailed();
    if (!opened) return session.NotDone("the PCB test did not start");
    session.PrintPane(view);
    if (unitLost) return session.Fail("the unit stopped answering; the PCB test stopped without a verdict");
    if (verdict == kCheckNotRun) return session.Fail("the PCB test ended without a verdict; the factory record is unchanged");
    if (!recordWritten) return session.Fail("overall result FAIL; the unit did not take the factory record");
    if (verdict != kCheckPassed) return session.Fail("overall result FAIL; the factory record is erased");
    // The stamp was taken, but what the unit now holds was not seen.
    const std::string& unread = session.app.unit.unitInfoReadFailures;
    if (!unread.empty())
      return session.Fail("overall result PASS, the factory record is stamped, but the unit's information could not be "
                          "read back: " + unread);
    return static_cast<int>(kExitDone);
  });
}

}  // namespace

void AddProductionCommands(CLI::App& cli, CliOptions& options) {
  auto actions = std::make_shared<std::vector<std::string>>();
  CLI::App* pcbTest = cli.add_subcommand("pcb-test", "the PCB production test: the checks named, then Exit (none: a menu)");
  pcbTest->footer(
      "Each ACTION presses one check, in order, then Exit follows; without actions a menu on stdin\n"
      "offers them, and the end of input is Exit. A PASS stamps the factory record, a FAIL erases it.\n"
      "exit status: 0 overall PASS; 1 FAIL, no verdict, or the unit did not answer; 2 usage error");
  std::vector<std::string> names;
  for (const PcbAction& action : PcbActions()) names.push_back(action.name);
  pcbTest->add_option("ACTION", *actions, "serial, supplies, current, internal-rs485 or rs485-comms")
      ->check(CLI::IsMember(names))
      ->type_name("");
  pcbTest->callback([&options, actions] {
    options.run = [actions](CliSession& session) { return RunPcbTest(session, *actions); };
  });
}

}  // namespace endcap
