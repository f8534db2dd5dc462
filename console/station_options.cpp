#include "console/station_options.h"

namespace endcap {

const char* const kStationUsage =
    "usage: endcap-station [--port N=PATH]... [--drive X=DIR]... [--trace FILE] [--simulate]\n"
    "\n"
    "  --port N=PATH   COM port N is the device PATH (default COM1-4 /dev/ttyS0-3,\n"
    "                  COM5-8 /dev/ttyUSB0-3)\n"
    "  --drive X=DIR   drive X: is the directory DIR (default C: is the home directory,\n"
    "                  other drives /mnt/x)\n"
    "  --trace FILE    write every frame on the line to FILE ('-' for standard error)\n"
    "  --simulate      run a simulated unit on COM1, with a window to set its bench\n"
    "  --help          this text\n";

namespace {

// "--name VALUE" or "--name=VALUE"; advances i past the value.
bool TakeValue(const std::vector<std::string>& args, size_t& i, const std::string& name, std::string& value,
               std::string& error) {
  const std::string& arg = args[i];
  if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 && arg[name.size()] == '=') {
    value = arg.substr(name.size() + 1);
    return true;
  }
  if (i + 1 >= args.size()) {
    error = name + " needs a value";
    return false;
  }
  value = args[++i];
  return true;
}

bool Named(const std::string& arg, const std::string& name) {
  return arg == name || (arg.size() > name.size() && arg.compare(0, name.size() + 1, name + "=") == 0);
}

}  // namespace

bool ParseStationOptions(const std::vector<std::string>& args, StationOptions& options, PortMap& ports,
                         DriveMap& drives, std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string value;
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--simulate") {
      options.simulate = true;
    } else if (Named(arg, "--port")) {
      if (!TakeValue(args, i, "--port", value, error)) return false;
      if (!ports.SetFromOption(value)) {
        error = "--port " + value + ": expected N=PATH with N from 1 to 255";
        return false;
      }
    } else if (Named(arg, "--drive")) {
      if (!TakeValue(args, i, "--drive", value, error)) return false;
      if (!drives.SetFromOption(value)) {
        error = "--drive " + value + ": expected X=DIR with X a drive letter";
        return false;
      }
    } else if (Named(arg, "--trace")) {
      if (!TakeValue(args, i, "--trace", value, error)) return false;
      if (value.empty()) {
        error = "--trace needs a file name ('-' for standard error)";
        return false;
      }
      options.traceFile = value;
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  return true;
}

}  // namespace endcap
