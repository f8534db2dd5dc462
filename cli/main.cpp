// endcap-cli: one command against the end-cap sensor board, from a shell or a script.

#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_session.h"
#include "serial/clock.h"
#include "serial/termios_device.h"

int main(int argc, char** argv) {
  using namespace endcap;
  const std::vector<std::string> args(argv + 1, argv + argc);
  const CliParse parse = ParseCommandLine(args);
  if (parse.outcome == CliParse::Outcome::Help) {
    std::cout << parse.text;
    return kExitDone;
  }
  if (parse.outcome == CliParse::Outcome::UsageError) {
    std::cerr << "endcap-cli: " << parse.text << "\n\n" << parse.usage;
    return kExitUsage;
  }
  TermiosPortProvider devices(parse.options.ports);
  SystemClock clock;
  const CliStreams streams{std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) == 0};
  return RunCli(parse.options, devices, clock, streams);
}
