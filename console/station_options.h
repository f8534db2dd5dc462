#pragma once
// The command line shared by the station's programs. Windows names stay as the operator knows
// them (COM N, drive C:); the options only say where those live on this machine. The options
// every program that talks to a unit takes are declared once here, so their forms, checks and
// help read the same in each.

#include <string>
#include <vector>

#include "options/command_line.h"
#include "records/drive_map.h"
#include "serial/port_map.h"

namespace CLI {
class App;
}

namespace endcap {

// --port, --drive, --trace and --store.
struct SharedOptions {
  PortMap ports;
  DriveMap drives;
  std::string traceFile;  // empty: no trace; "-": standard error
  std::string storeFile;  // empty: the results store in the status folder
};

void AddSharedOptions(CLI::App& app, SharedOptions& options);

// endcap-station's own options.
struct StationOptions {
  SharedOptions shared;
  bool simulate = false;
  bool factory = false;  // the factory buttons in both connection states
};

ParseOutcome ParseStationOptions(const std::vector<std::string>& args, StationOptions& options);

}  // namespace endcap
