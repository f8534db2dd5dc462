#pragma once
// One run of endcap-cli: the station's objects built around the serial devices, the command
// run to its end, and the exit status.
//
// The register and control commands call one unit operation each. The window commands (info,
// read, enable, disable, set-address, disconnect) run the main window's own commands against a
// text view: first Connect, as the operator would before any button is shown, then the button.

#include <istream>
#include <ostream>

#include "cli/cli_options.h"
#include "serial/clock.h"
#include "serial/serial_device.h"

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

// devices: what the COM port numbers open (the chooser probes them too).
int RunCli(const CliOptions& options, PortProvider& devices, Clock& clock, const CliStreams& streams);

}  // namespace endcap
