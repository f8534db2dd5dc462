#include "console/station_options.h"

#include <CLI/CLI.hpp>

namespace endcap {

void AddSharedOptions(CLI::App& app, SharedOptions& options) {
  app.add_option_function<std::string>(
         "--port",
         [&options](const std::string& value) {
           if (!options.ports.SetFromOption(value))
             throw CLI::ValidationError("--port", "'" + value + "': expected N=PATH with N from 1 to 255");
         },
         "COM port N is the device PATH (repeatable; default COM1-4 /dev/ttyS0-3, COM5-8 /dev/ttyUSB0-3)")
      ->type_name("N=PATH")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->trigger_on_parse();
  app.add_option_function<std::string>(
         "--drive",
         [&options](const std::string& value) {
           if (!options.drives.SetFromOption(value))
             throw CLI::ValidationError("--drive", "'" + value + "': expected X=DIR with X a drive letter");
         },
         "drive X: of the station's folders is the directory DIR (repeatable; C: is the home "
         "directory, other drives /mnt/x)")
      ->type_name("X=DIR")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->trigger_on_parse();
  app.add_option("--trace", options.traceFile,
                 "write every frame sent and received, with a millisecond time stamp, to FILE ('-' for "
                 "standard error)")
      ->type_name("FILE")
      ->check([](const std::string& value) {
        return value.empty() ? std::string("needs a file name ('-' for standard error)") : std::string();
      });
  app.add_option("--store", options.storeFile,
                 "keep the results store (the calibration results the sheets are made from) in the SQLite "
                 "file FILE, or in the PostgreSQL database of a postgresql:// or postgres:// URI (default "
                 "CalibrationResults.sqlite in the status folder)")
      ->type_name("FILE|URI")
      ->check([](const std::string& value) {
        return value.empty() ? std::string("needs a file name or a URI") : std::string();
      });
}

ParseOutcome ParseStationOptions(const std::vector<std::string>& args, StationOptions& options) {
  CLI::App app("The test and calibration station's window for the end-cap sensor board.", "endcap-station");
  app.get_formatter()->column_width(24);
  AddSharedOptions(app, options.shared);
  app.add_flag("--simulate", options.simulate,
               "start the simulated unit (endcap-unit-sim --bench) on a pseudo-terminal mapped to COM1, "
               "with its bench window");
  app.add_flag("--factory", options.factory,
               "show the factory buttons (PCB test, Calibration sheet, Dev test) whether connected or not, "
               "for a production bench");
  return ParseArguments(app, args);
}

}  // namespace endcap
