// pcb-test and bootload: the main window's PCB test and Bootload commands, run after Connect,
// with the PCB test dialog on the terminal and the progress bar drawn on stderr.

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "cli/pcb_test_runner.h"
#include "cli/progress_meter.h"
#include "serial/text_format.h"

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

std::string RefusalReason(const HexFileCheck& check) {
  return check.line > 0 ? Format("line %d: %s", check.line, check.reason.c_str()) : check.reason;
}

int RunBootload(CliSession& session, const std::string& file) {
  session.terminal.SetFixedFile(file);
  const bool terminal = &session.streams.err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
  ProgressMeter meter(session.streams.err, terminal);
  return session.RunInWindow([&](MainDialog& dialog, TextView& view) {
    view.progress = &meter;
    dialog.OnBootload();
    const LoadResult& load = dialog.lastLoad;
    switch (load.outcome) {
      case LoadOutcome::NoFile: return session.Fail("no file chosen");
      case LoadOutcome::NotConnected: return session.UnitFailed();
      case LoadOutcome::Refused:
        return session.Fail(file + " refused, nothing was sent: " + RefusalReason(load.check));
      case LoadOutcome::UnlockFailed:
        return session.Fail("the unit did not take the unlock (function 65), nothing was sent");
      case LoadOutcome::NotSwitched:
        return session.Fail("the unit answered function 70: it did not switch to its boot loader, nothing was sent");
      case LoadOutcome::SwitchRefused:
        return session.Fail("the unit answered function 70 (" + load.switchReply +
                            "): it stayed in its program, nothing was sent");
      case LoadOutcome::Sent: break;
    }
    if (load.unanswered > 0)
      return session.Fail(Format("%d of %d lines got no answer from the boot loader", load.unanswered, load.lines));
    session.streams.out << Format("%d lines sent in %d pieces, every line answered\n", load.lines, load.sent);
    // The re-read as the window shows it: the new program's information, or that the unit (still
    // in its boot loader until its power is cycled) did not answer.
    session.PrintPane(view);
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

  auto file = std::make_shared<std::string>();
  CLI::App* bootload = cli.add_subcommand("bootload", "load the Intel HEX program FILE into the unit's boot loader");
  bootload->footer(
      "The file is checked first; a file that is not an Intel HEX image is refused and nothing is\n"
      "sent. Progress on stderr: a bar on a terminal, a line every 10 % otherwise. --trace shows\n"
      "every text line sent and answered.\n"
      "exit status: 0 every line answered; 1 the file refused, the unit did not switch to its boot\n"
      "loader, the unlock failed, or lines went unanswered; 2 usage error");
  bootload->add_option("FILE", *file, "the program file")->required()->type_name("");
  bootload->callback([&options, file] {
    options.run = [file](CliSession& session) { return RunBootload(session, *file); };
  });
}

}  // namespace endcap
