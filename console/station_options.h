#pragma once
// The station program's command line. Windows names stay as the operator knows them (COM N,
// drive C:); the options only say where those live on this machine.

#include <string>
#include <vector>

#include "records/drive_map.h"
#include "serial/port_map.h"

namespace endcap {

struct StationOptions {
  std::string traceFile;  // empty: no trace; "-": standard error
  bool simulate = false;
  bool help = false;
};

extern const char* const kStationUsage;

// Applies --port and --drive to the maps as it goes. On a bad option returns false with the
// reason in error (the maps may then hold the options before it).
bool ParseStationOptions(const std::vector<std::string>& args, StationOptions& options, PortMap& ports,
                         DriveMap& drives, std::string& error);

}  // namespace endcap
