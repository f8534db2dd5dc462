#pragma once
// The command line of endcap-cli: where the unit is, where the records go, what to trace, and
// the one command to run. Parsing checks everything it can before any port is touched.

#include <cstdint>
#include <string>
#include <vector>

#include "records/drive_map.h"
#include "serial/port_map.h"

namespace endcap {

enum class CliCommand {
  RegistersRead,
  RegistersWrite,
  RegistersWriteSingle,
  Control,
  Info,
  Read,
  Enable,
  Disable,
  SetAddress,
  Disconnect,
};

struct CliOptions {
  PortMap ports;
  DriveMap drives;
  uint8_t com = 0;        // 0: the chooser asks
  std::string traceFile;  // empty: no trace; "-": stderr

  CliCommand command = CliCommand::Info;
  uint16_t first = 0;            // registers: the first register
  uint16_t count = 0;            // registers read
  std::vector<uint16_t> values;  // registers write, write-single (one value)
  uint8_t function = 0;          // control
  uint16_t parameter = 0;        // control
  uint16_t sensorMask = 0;       // read, enable, disable: the sensor's bit in the unit's sensor words
  bool addressGiven = false;     // set-address
  uint16_t address = 0;
};

struct CliParse {
  enum class Outcome { Run, Help, UsageError };
  Outcome outcome = Outcome::Run;
  // Help: the text to print on stdout. UsageError: what was wrong, one line.
  std::string text;
  // UsageError: the usage to show with it (the command's, when the command is known).
  std::string usage;
  CliOptions options;
};

CliParse ParseCommandLine(const std::vector<std::string>& args);

// The whole usage text, and the usage of one command word ("registers", "read", ...).
std::string ProgramUsage();
std::string CommandUsage(const std::string& word);

}  // namespace endcap
