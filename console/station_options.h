#pragma once
// The command line shared by the station's programs. Windows names stay as the operator knows
// them (COM N, drive C:); the options only say where those live on this machine. The options
// every program that talks to a unit takes are declared once here, so their forms, checks and
// help read the same in each.

#include <string>
#include <vector>

#include "records/drive_map.h"
#include "serial/port_map.h"

namespace CLI {
class App;
}

namespace endcap {

// --port, --drive and --trace.
struct SharedOptions {
  PortMap ports;
  DriveMap drives;
  std::string traceFile;  // empty: no trace; "-": standard error
};

void AddSharedOptions(CLI::App& app, SharedOptions& options);

// What a program's command line came to: run, print help, or a usage error.
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

// endcap-station's own options.
struct StationOptions {
  SharedOptions shared;
  bool simulate = false;
};

ParseOutcome ParseStationOptions(const std::vector<std::string>& args, StationOptions& options);

}  // namespace endcap
