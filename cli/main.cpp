// endcap-cli: one command against the end-cap sensor board, from a shell or a script.

#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_session.h"
#include "serial/clock.h"
#include "serial/close_on_signal.h"
#include "serial/termios_device.h"

int main(int argc, char** argv) {
  using namespace endcap;
  const CliParse parse = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (parse.outcome.kind == ParseOutcome::Kind::Help) {
    std::cout << parse.outcome.text;
    return kExitDone;
  }
  if (parse.outcome.kind == ParseOutcome::Kind::UsageError) {
    std::cerr << "endcap-cli: " << parse.outcome.text << "\n\n" << parse.outcome.usage;
    return kExitUsage;
  }
  CloseSerialPortsOnSignals();
  TermiosPortProvider devices(parse.options.shared.ports);
  SystemClock clock;
  const CliStreams streams{std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) == 0};
  return RunCli(parse.options, devices, clock, streams);
}
