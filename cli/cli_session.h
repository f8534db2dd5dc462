#pragma once
// One run of endcap-cli: the station's objects built around the serial devices, the command
// run to its end, and the exit status.
//
// The register and control commands call one unit operation each. The window commands run the
// main window's own commands against a text view: first Connect, as the operator would before
// any button is shown, then the button.

#include <cstdio>
#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <string>

#include "cli/answering_operator.h"
#include "cli/cli_options.h"
#include "cli/terminal_operator.h"
#include "cli/text_view.h"
#include "console/main_dialog.h"
#include "console/tester_app.h"
#include "serial/clock.h"
#include "serial/line_trace.h"
#include "serial/serial_device.h"
#include "serial/serial_port.h"

namespace endcap {

enum ExitStatus : int {
  kExitDone = 0,
  kExitUnitFailed = 1,  // not reached, no answer as expected, or a check or an answer stopped it
  kExitUsage = 2,
};

struct CliStreams {
  std::istream& in;   // the operator's answers
  std::ostream& out;  // the command's results
  std::ostream& err;  // boxes, questions, prompts, failures
  bool echoAnswers;   // repeat each answer read on err (piped answers)
};

class CliSession {
public:
  // devices: what the COM port numbers open (the chooser probes them too).
  CliSession(const CliOptions& options, PortProvider& devices, Clock& clock, const CliStreams& streams);
  ~CliSession();
  CliSession(const CliSession&) = delete;
  CliSession& operator=(const CliSession&) = delete;

  // Starts the trace, then runs the command the options hold.
  int Run();

  // "endcap-cli: why" on stderr; the unit-failed status.
  int Fail(const std::string& why);
  // The last reply's fault as the reason ("no reply", "bad CRC", ...).
  int UnitFailed();
  bool LastReplyAnswered() const;
  // A command that did not get done: why, in this order: the answers ran out at a step at the
  // bench, the unit did not answer, a question was answered No; else failure.
  int NotDone(const std::string& failure);

  // For the commands that talk to the unit without the window's handshake: the chosen port,
  // opened. False after saying why, with the status in status.
  bool OpenChosenPort(int& status);

  // Builds the main window on a text view, connects as the operator would, then runs command
  // with the window; fails with the reason when the unit could not be reached.
  int RunInWindow(const std::function<int(MainDialog&, TextView&)>& command);
  // The status pane on stdout, its "\r\n" line breaks as this platform's "\n".
  void PrintPane(const TextView& view);

  const CliStreams& streams;
  PortProvider& devices;
  SerialPort port;
  TerminalOperator terminal;
  AnsweringOperator op;
  TesterApp app;

private:
  bool StartTrace();
  int PortFailed(int portNumber);
  int ConnectFailed();

  const CliOptions& options_;
  std::FILE* traceFile_ = nullptr;
  std::unique_ptr<LineTrace> trace_;
};

int RunCli(const CliOptions& options, PortProvider& devices, Clock& clock, const CliStreams& streams);

}  // namespace endcap
