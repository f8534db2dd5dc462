#include "cli/cli_options.h"

#include <map>

#include "cli/number_text.h"
#include "unit/register_map.h"

namespace endcap {

namespace {

// Function 16 carries at most 123 registers, function 4 returns at most 125 (Modbus limits).
constexpr uint32_t kMaxReadCount = 125;
constexpr uint32_t kMaxWriteCount = 123;
constexpr uint32_t kMaxRegister = 0xFFFF;
// The unit's single-register write carries only the low byte of the value (and a flag).
constexpr uint32_t kMaxSingleValue = 0xFF;
constexpr uint32_t kMaxFunction = 0xFF;
constexpr uint32_t kMaxComPort = 255;

const char* const kProgramName = "endcap-cli";

const std::map<std::string, std::string>& CommandUsages() {
  static const std::map<std::string, std::string> usages = {
      {"registers",
       "  registers read FIRST COUNT              read COUNT (1-125) registers from FIRST; one line each:\n"
       "                                          register, decimal value, hex value\n"
       "  registers write FIRST VALUE...          write 1-123 registers from FIRST (unlock, then function 16)\n"
       "  registers write-single REGISTER VALUE   write one register (function 6; VALUE 0-255)\n"},
      {"control", "  control FUNCTION PARAMETER              send a control function of the unit (1 s time-out)\n"},
      {"info", "  info                                    connect and print the unit's information text\n"},
      {"read", "  read inclinometer|strain                print pitch and roll, or pressure\n"},
      {"enable",
       "  enable inclinometer|strain              enable a sensor: operator ID, unit serial and supply\n"
       "                                          checks first\n"},
      {"disable", "  disable inclinometer|strain             disable a sensor, with the same checks\n"},
      {"set-address",
       "  set-address [N]                         set the unit's Modbus address setting (asks when N is\n"
       "                                          omitted); requests still go to slave 250\n"},
      {"disconnect", "  disconnect                              connect, then release the unit\n"},
  };
  return usages;
}

struct Parser {
  CliParse result;
  bool deviceGiven = false;
  bool portGiven = false;
  bool comGiven = false;

  bool Fail(const std::string& message) {
    result.outcome = CliParse::Outcome::UsageError;
    result.text = message;
    result.usage = ProgramUsage();
    return false;
  }

  bool Number(const std::string& what, const std::string& text, uint32_t max, uint32_t& value) {
    if (ParseNumber(text, max, value)) return true;
    return Fail(what + " must be a number from 0 to " + std::to_string(max) + " (decimal or 0x hex): '" + text + "'");
  }

  bool Option(const std::string& name, const std::string& value) {
    CliOptions& o = result.options;
    if (name == "--device") {
      o.ports.Set(1, value);
      o.com = 1;
      deviceGiven = true;
    } else if (name == "--port") {
      if (!o.ports.SetFromOption(value)) return Fail("--port needs N=PATH with N from 1 to 255: '" + value + "'");
      portGiven = true;
    } else if (name == "--com") {
      uint32_t port = 0;
      if (!ParseNumber(value, kMaxComPort, port) || port == 0)
        return Fail("--com needs a port number from 1 to 255: '" + value + "'");
      o.com = static_cast<uint8_t>(port);
      comGiven = true;
    } else if (name == "--drive") {
      if (!o.drives.SetFromOption(value)) return Fail("--drive needs X=DIR: '" + value + "'");
    } else if (name == "--trace") {
      if (value.empty()) return Fail("--trace needs a file name or -");
      o.traceFile = value;
    }
    return true;
  }

  bool Sensor(const std::string& word, const std::vector<std::string>& args) {
    if (args.size() != 2) return Fail(word + " needs one sensor: inclinometer or strain");
    if (args[1] == "inclinometer")
      result.options.sensorMask = reg::kSensorInclinometer;
    else if (args[1] == "strain")
      result.options.sensorMask = reg::kSensorStrainGauge;
    else
      return Fail("unknown sensor '" + args[1] + "': inclinometer or strain");
    return true;
  }

  bool Registers(const std::vector<std::string>& args) {
    CliOptions& o = result.options;
    if (args.size() < 2) return Fail("registers needs read, write or write-single");
    const std::string& sub = args[1];
    uint32_t first = 0;
    if (sub == "read") {
      o.command = CliCommand::RegistersRead;
      if (args.size() != 4) return Fail("registers read needs FIRST COUNT");
      uint32_t count = 0;
      if (!Number("FIRST", args[2], kMaxRegister, first) || !Number("COUNT", args[3], kMaxReadCount, count))
        return false;
      if (count == 0) return Fail("COUNT must be at least 1");
      if (first + count - 1 > kMaxRegister) return Fail("registers beyond 65535 do not exist");
      o.first = static_cast<uint16_t>(first);
      o.count = static_cast<uint16_t>(count);
      return true;
    }
    if (sub == "write" || sub == "write-single") {
      const bool single = sub == "write-single";
      o.command = single ? CliCommand::RegistersWriteSingle : CliCommand::RegistersWrite;
      if (single && args.size() != 4) return Fail("registers write-single needs REGISTER VALUE");
      if (args.size() < 4) return Fail("registers write needs FIRST and at least one VALUE");
      if (args.size() - 3 > kMaxWriteCount) return Fail("at most 123 registers can be written at once");
      if (!Number(single ? "REGISTER" : "FIRST", args[2], kMaxRegister, first)) return false;
      if (first + (args.size() - 3) - 1 > kMaxRegister) return Fail("registers beyond 65535 do not exist");
      for (size_t i = 3; i < args.size(); ++i) {
        uint32_t value = 0;
        if (!Number("VALUE", args[i], single ? kMaxSingleValue : kMaxRegister, value)) return false;
        o.values.push_back(static_cast<uint16_t>(value));
      }
      o.first = static_cast<uint16_t>(first);
      return true;
    }
    return Fail("unknown registers command '" + sub + "': read, write or write-single");
  }

  bool Command(const std::vector<std::string>& args) {
    CliOptions& o = result.options;
    const std::string& word = args[0];
    if (word == "registers") return Registers(args);
    if (word == "control") {
      o.command = CliCommand::Control;
      if (args.size() != 3) return Fail("control needs FUNCTION PARAMETER");
      uint32_t function = 0, parameter = 0;
      if (!Number("FUNCTION", args[1], kMaxFunction, function) ||
          !Number("PARAMETER", args[2], kMaxRegister, parameter))
        return false;
      o.function = static_cast<uint8_t>(function);
      o.parameter = static_cast<uint16_t>(parameter);
      return true;
    }
    if (word == "info" || word == "disconnect") {
      o.command = word == "info" ? CliCommand::Info : CliCommand::Disconnect;
      if (args.size() != 1) return Fail(word + " takes no arguments");
      return true;
    }
    if (word == "read" || word == "enable" || word == "disable") {
      o.command = word == "read" ? CliCommand::Read : word == "enable" ? CliCommand::Enable : CliCommand::Disable;
      return Sensor(word, args);
    }
    if (word == "set-address") {
      o.command = CliCommand::SetAddress;
      if (args.size() > 2) return Fail("set-address takes at most one address");
      if (args.size() == 2) {
        uint32_t address = 0;
        if (!Number("N", args[1], kMaxRegister, address)) return false;
        o.address = static_cast<uint16_t>(address);
        o.addressGiven = true;
      }
      return true;
    }
    return Fail("unknown command '" + word + "'");
  }
};

bool TakesValue(const std::string& name) {
  return name == "--device" || name == "--port" || name == "--com" || name == "--drive" || name == "--trace";
}

}  // namespace

std::string ProgramUsage() {
  std::string text = std::string("usage: ") + kProgramName +
                     " [--device PATH | --port N=PATH... --com N] [--drive X=DIR...] [--trace FILE] COMMAND\n"
                     "\n"
                     "Talks to the end-cap sensor board: Modbus RTU, 9600 baud 8N1, slave 250.\n"
                     "\n"
                     "options:\n"
                     "  --device PATH    use the serial device PATH (as COM1) without asking\n"
                     "  --port N=PATH    map COM N to PATH (repeatable; default COM1-4 /dev/ttyS0-3,\n"
                     "                   COM5-8 /dev/ttyUSB0-3)\n"
                     "  --com N          use COM N without asking; without --device or --com the\n"
                     "                   ports that open are listed and one is asked for\n"
                     "  --drive X=DIR    put drive X: of the station's folders at DIR (repeatable;\n"
                     "                   C: is the home directory, the records go to C:\\Quorvanta\\D5Status)\n"
                     "  --trace FILE     log every frame sent and received to FILE ('-': stderr)\n"
                     "  --help           this text; COMMAND --help shows that command's usage\n"
                     "\n"
                     "commands:\n";
  for (const char* word : {"registers", "control", "info", "read", "enable", "disable", "set-address", "disconnect"})
    text += CommandUsages().at(word);
  text +=
      "\n"
      "Numbers are decimal or 0x hex. Messages, questions and prompts go to stderr and are\n"
      "answered on stdin (y/n, a/r/i, a line of text; an empty line takes the default shown),\n"
      "so answers can be piped in; at the end of input a question is answered No or Abort.\n"
      "\n"
      "exit status: 0 done; 1 the unit could not be reached or did not answer as expected,\n"
      "or a check or an answer stopped the command; 2 usage error\n";
  return text;
}

std::string CommandUsage(const std::string& word) {
  const auto it = CommandUsages().find(word);
  if (it == CommandUsages().end()) return ProgramUsage();
  return std::string("usage: ") + kProgramName + " [OPTIONS]\n" + it->second;
}

CliParse ParseCommandLine(const std::vector<std::string>& args) {
  Parser p;
  std::vector<std::string> words;
  bool help = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      help = true;
      continue;
    }
    if (arg.size() < 2 || arg[0] != '-') {
      words.push_back(arg);
      continue;
    }
    const size_t eq = arg.find('=');
    const std::string name = arg.substr(0, eq);
    if (!TakesValue(name)) {
      p.Fail("unknown option '" + arg + "'");
      return p.result;
    }
    std::string value;
    if (eq != std::string::npos) {
      value = arg.substr(eq + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      p.Fail(name + " needs a value");
      return p.result;
    }
    if (!p.Option(name, value)) return p.result;
  }
  if (help) {
    p.result.outcome = CliParse::Outcome::Help;
    p.result.text = words.empty() ? ProgramUsage() : CommandUsage(words[0]);
    return p.result;
  }
  if (p.deviceGiven && (p.portGiven || p.comGiven)) {
    p.Fail("--device cannot be combined with --port or --com");
    return p.result;
  }
  if (words.empty()) {
    p.Fail("no command given");
    return p.result;
  }
  if (!p.Command(words)) p.result.usage = CommandUsage(words[0]);
  return p.result;
}

}  // namespace endcap
