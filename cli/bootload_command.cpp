// bootload: the main window's Bootload command, run after Connect, with the progress bar drawn on
// stderr; with several --com, a gang load of every board named at once, ending in a table.

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <set>

#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "cli/gang_bootload.h"
#include "cli/progress_meter.h"
#include "firmware/hex_file_check.h"
#include "firmware/program_pieces.h"
#include "serial/close_on_signal.h"
#include "serial/text_format.h"

namespace endcap {

namespace {

// A bad file is reported as such whatever the port, so it is checked before any port is opened.
bool CheckFile(CliSession& session, const std::string& file, std::string& program, int& status) {
  const HexFileCheck check = ReadHexFile(file, program);
  if (check.valid) return true;
  status = session.Fail(file + " refused, nothing was sent: " + WhereAndWhy(check));
  return false;
}

bool ProgressOnTerminal(const CliSession& session) {
  return &session.streams.err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
}

int RunBootload(CliSession& session, const std::string& file) {
  std::string program;
  int status = kExitDone;
  if (!CheckFile(session, file, program, status)) return status;
  session.terminal.SetFixedFile(file);
  ProgressMeter meter(session.streams.err, ProgressOnTerminal(session));
  return session.RunInWindow([&](MainDialog& dialog, TextView& view) {
    view.progress = &meter;
    dialog.OnBootload();
    const LoadResult& load = dialog.lastLoad;
    switch (load.outcome) {
      case LoadOutcome::NoFile: return session.Fail("no file chosen");
      case LoadOutcome::NotConnected: return session.UnitFailed();
      case LoadOutcome::Refused:
        return session.Fail(file + " refused, nothing was sent: " + WhereAndWhy(load.check));
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

int RunGangBootload(CliSession& session, const std::string& file, const std::vector<uint8_t>& coms,
                    const PortMap& ports) {
  std::string program;
  int status = kExitDone;
  if (!CheckFile(session, file, program, status)) return status;
  int lines = 0;
  for (const std::string& piece : ProgramPieces(program)) lines += piece.back() == '\n' ? 1 : 0;

  // Each board waits on its own clock, so no two loads share one.
  std::vector<std::unique_ptr<SystemClock>> clocks;
  std::vector<GangBoard> boards;
  std::vector<std::string> labels;
  for (const uint8_t com : coms) {
    clocks.push_back(std::make_unique<SystemClock>());
    boards.push_back({com, ports.PathOf(com), &session.devices, clocks.back().get()});
    labels.push_back(Format("COM%d %s", com, boards.back().device.c_str()));
  }
  GangMeter meter(session.streams.err, ProgressOnTerminal(session), labels, lines);
  std::vector<BoardLoad> loads;
  {
    // A stop signal ends every board's load at its next line; the table still comes.
    const StopSignalHold hold;
    loads = LoadGang(boards, program, meter, [] { return NotedStopSignal() != 0; });
  }
  session.streams.out << GangTable(boards, loads);
  int failed = 0;
  bool sent = false;
  for (const BoardLoad& board : loads) {
    if (!BoardLoaded(board)) ++failed;
    sent = sent || board.load.sent > 0;
  }
  if (sent) session.streams.err << kCyclePowerText << '\n';
  if (const int stop = NotedStopSignal()) {
    session.Fail(std::string("stopped by ") + StopSignalName(stop) + "; every port is closed");
    return 128 + stop;
  }
  if (failed > 0) return session.Fail(Format("%d of %zu boards not loaded", failed, loads.size()));
  return kExitDone;
}

}  // namespace

void AddBootloadCommand(CLI::App& cli, CliOptions& options) {
  auto file = std::make_shared<std::string>();
  CLI::App* bootload = cli.add_subcommand("bootload", "load the Intel HEX program FILE into the unit's boot loader");
  bootload->footer(
      "The file is checked first; a file that is not an Intel HEX image is refused and nothing is\n"
      "sent. Progress on stderr: a bar on a terminal, a line every 10 % otherwise. --trace shows\n"
      "every text line sent and answered.\n"
      "With --com given more than once, the board on each port is loaded at the same time (a gang),\n"
      "each exactly as a single load; progress is a line per port, and a table on stdout ends it,\n"
      "one row per port: COM, device, unit serial, lines sent, lines unanswered, verdict. A board\n"
      "that fails does not stop the others; SIGINT or SIGTERM stops every load at a line boundary.\n"
      "--trace is not written in a gang.\n"
      "exit status: 0 every line answered (on every board); 1 the file refused, the unit did not\n"
      "switch to its boot loader, the unlock failed, lines went unanswered, or a board of a gang was\n"
      "not loaded; 2 usage error; 128 + N a gang stopped by signal N (after its table)");
  bootload->add_option("FILE", *file, "the program file")->required()->type_name("");
  bootload->callback([&options, file] {
    options.manyComs = true;
    if (options.coms.size() < 2) {
      options.run = [file](CliSession& session) { return RunBootload(session, *file); };
      return;
    }
    const std::set<uint8_t> distinct(options.coms.begin(), options.coms.end());
    if (distinct.size() != options.coms.size()) throw CLI::ValidationError("--com", "each port is named once");
    options.run = [file, coms = options.coms, ports = options.shared.ports](CliSession& session) {
      return RunGangBootload(session, *file, coms, ports);
    };
  });
}

}  // namespace endcap
