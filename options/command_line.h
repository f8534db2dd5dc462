#pragma once
// The one way the station's programs read their command lines: each declares its options with
// CLI11, and the parse comes back as run, help or a usage error, without exceptions leaving
// here. Forms: --opt VALUE and --opt=VALUE; --help (-h) on every program and subcommand.

#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace endcap {

struct ParseOutcome {
  enum class Kind { Run, Help, UsageError };
  Kind kind = Kind::Run;
  // Help: the text for stdout. UsageError: what was wrong, one line.
  std::string text;
  // UsageError: the usage to show after it (the subcommand's, when one was named).
  std::string usage;
};

// Parses args (without the program name) into what app declares; CLI11's errors become a
// usage error, --help the help of the (sub)command it was given to.
ParseOutcome ParseArguments(CLI::App& app, const std::vector<std::string>& args);

// The usage of the deepest (sub)command the last parse selected, headed by its whole command
// line ("endcap-cli registers read"): the usage that fits a mistake made in it.
std::string SelectedUsage(const CLI::App& app);

// What a program does with a parse that does not run it: help on stdout and status 0, or
// "program: reason", a blank line and the usage on stderr and status 2. Empty: go on and run.
std::optional<int> FinishWithoutRunning(const ParseOutcome& outcome, const char* program);

}  // namespace endcap
