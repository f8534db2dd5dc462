#include "sim/control_commands.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "serial/text_format.h"

namespace endcap::sim {

namespace {

constexpr uint16_t kAllRegisters = 0xFFFF;

struct SupplyName {
  const char* name;
  Supply supply;
};
constexpr SupplyName kSupplies[] = {
    {"-12", Supply::BoardMinus12},       {"+12", Supply::BoardPlus12},        {"3.3", Supply::Board3V3},
    {"ext-12", Supply::ExternalMinus12}, {"ext+12", Supply::ExternalPlus12},
};

std::string Usage(const char* usage) { return std::string("error usage: ") + usage; }

std::string Registers(const std::vector<std::pair<uint16_t, uint16_t>>& registers) {
  std::string reply = "ok";
  for (const auto& [reg, value] : registers) reply += Format(" %u=0x%04X", reg, value);
  return reply;
}

// FIRST or FIRST-LAST, each a register number.
bool ParseRange(const std::string& text, unsigned long& first, unsigned long& last) {
  const size_t dash = text.find('-');
  if (!ParseUnsigned(text.substr(0, dash), 0xFFFF, first)) return false;
  if (dash == std::string::npos) {
    last = first;
    return true;
  }
  return ParseUnsigned(text.substr(dash + 1), 0xFFFF, last) && last >= first;
}

std::string FaultCommand(SimulatedUnit& unit, const std::vector<std::string>& args) {
  const char* usage =
      "fault noreply|badcrc|short|exception|cut|stall|notready|loop [once|always], fault refuse FIRST[-LAST] "
      "[once|always], or fault clear";
  if (args.size() == 2 && args[1] == "clear") {
    unit.ClearFaults();
    return "ok fault clear";
  }
  const bool refuse = args.size() >= 2 && args[1] == "refuse";
  const size_t modeAt = refuse ? 3 : 2;
  if (args.size() < modeAt || args.size() > modeAt + 1) return Usage(usage);
  const std::string modeName = args.size() > modeAt ? args[modeAt] : "once";
  if (modeName != "once" && modeName != "always") return Usage(usage);
  const FaultMode mode = modeName == "once" ? FaultMode::Once : FaultMode::Always;
  if (refuse) {
    unsigned long first = 0, last = 0;
    if (!ParseRange(args[2], first, last)) return Usage(usage);
    unit.RefuseWrites(static_cast<uint16_t>(first), static_cast<uint16_t>(last), mode);
    return Format("ok fault refuse %lu-%lu %s", first, last, modeName.c_str());
  }
  for (Fault fault : kAllFaults) {
    if (args[1] != FaultName(fault)) continue;
    unit.InjectFault(fault, mode);
    return "ok fault " + args[1] + " " + modeName;
  }
  return Usage(usage);
}

// The sensors as built: what a calibration has to find, or cannot.
std::string SensorCommand(SimulatedUnit& unit, const std::vector<std::string>& args) {
  const char* usage = "sensor offset-a|gain-a|offset-b|gain-b|gauge-scale VALUE, or sensor swap on|off";
  SensorTruth truth = unit.truth();
  if (args.size() != 3) return Usage(usage);
  if (args[1] == "swap") {
    if (args[2] != "on" && args[2] != "off") return Usage(usage);
    truth.axesSwapped = args[2] == "on";
    unit.SetSensorTruth(truth);
    return "ok sensor swap " + args[2];
  }
  double value = 0.0;
  if (!ParseDouble(args[2], value)) return Usage(usage);
  struct Field {
    const char* name;
    double SensorTruth::*member;
  };
  static constexpr Field kFields[] = {{"offset-a", &SensorTruth::offsetA}, {"gain-a", &SensorTruth::gainA},
                                      {"offset-b", &SensorTruth::offsetB}, {"gain-b", &SensorTruth::gainB},
                                      {"gauge-scale", &SensorTruth::gaugeRawPerPsi}};
  for (const Field& field : kFields) {
    if (args[1] != field.name) continue;
    truth.*field.member = value;
    unit.SetSensorTruth(truth);
    return Format("ok sensor %s %.6g", field.name, value);
  }
  return Usage(usage);
}

}  // namespace

bool ParseDouble(const std::string& text, double& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0' && errno == 0 && std::isfinite(value);
}

bool ParseUnsigned(const std::string& text, unsigned long max, unsigned long& value) {
  if (text.empty() || text[0] == '-' || text[0] == '+') return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtoul(text.c_str(), &end, 0);
  return *end == '\0' && errno == 0 && value <= max;
}

const char* CommandHelp() {
  return "  tilt DEGREES                 tilt of the fixture\n"
         "  rotation 0|90|180|270        end cap turned about its axis (0: pitch +tilt, 90: roll +tilt,\n"
         "                               180: pitch -tilt, 270: roll -tilt)\n"
         "  pressure PSI                 dead-weight tester pressure above the atmosphere\n"
         "  atmosphere MBAR              the room's pressure\n"
         "  supply -12|+12|3.3|ext-12|ext+12 VOLTS\n"
         "                               a board rail or an external supply as the board will measure it\n"
         "  noise COUNTS                 standard deviation of one inclinometer sample\n"
         "  seed N                       restart the noise sequence\n"
         "  measure-delay MS             time from a measurement start to ready\n"
         "  sensor offset-a|gain-a|offset-b|gain-b COUNTS\n"
         "                               the inclinometer axes as built (raw = offset + gain sin angle)\n"
         "  sensor gauge-scale RAW_PER_PSI   the strain gauge's raw counts per psi\n"
         "  sensor swap on|off           axis A feels roll and B pitch (a sensor mounted turned)\n"
         "  fault KIND [once|always]     KIND: noreply, badcrc, short (2 bytes), exception (code 4),\n"
         "                               cut (half a reply), stall (half, 80 ms, the rest),\n"
         "                               notready (measurement never ready), loop (RS485 loop broken);\n"
         "                               once: the next reply, measurement or loop write\n"
         "  fault refuse FIRST[-LAST] [once|always]\n"
         "                               writes touching registers FIRST to LAST get exception 4\n"
         "  fault clear                  disarm every fault\n"
         "  hangup                       unplug: the station's device goes away\n"
         "  replug                       plug in again; answers the device path\n"
         "  power-cycle                  restart the board: Modbus again, locked, kept registers stay\n"
         "  bootloader                   what the boot loader took since it was last entered: lines,\n"
         "                               good records, bad checksums, other bad lines, and whether\n"
         "                               the last line was an end-of-file record\n"
         "  dump [FIRST [COUNT]]         registers of the map, from FIRST on\n"
         "  set REGISTER VALUE           poke any register of the map (decimal or 0x hex)\n"
         "  status                       mode, lock, bench, measurement and faults\n"
         "  help                         the command names\n";
}

std::string ExecuteCommand(SimulatedUnit& unit, LineControl* line, const std::string& command) {
  std::istringstream words(command);
  std::vector<std::string> args;
  for (std::string word; words >> word;) args.push_back(word);
  if (args.empty()) return "error empty command";
  const std::string& name = args[0];
  double number = 0.0;
  unsigned long integer = 0;

  if (name == "tilt") {
    if (args.size() != 2 || !ParseDouble(args[1], number)) return Usage("tilt DEGREES");
    unit.SetTilt(number);
    return Format("ok tilt %.3f", number);
  }
  if (name == "rotation") {
    if (args.size() != 2 || !ParseUnsigned(args[1], 270, integer) || !unit.SetRotation(static_cast<int>(integer)))
      return Usage("rotation 0|90|180|270");
    return Format("ok rotation %lu", integer);
  }
  if (name == "pressure") {
    if (args.size() != 2 || !ParseDouble(args[1], number)) return Usage("pressure PSI");
    unit.SetAppliedPressure(number);
    return Format("ok pressure %.3f psi", number);
  }
  if (name == "atmosphere") {
    if (args.size() != 2 || !ParseDouble(args[1], number) || number <= 0.0) return Usage("atmosphere MBAR");
    unit.SetAtmosphere(number);
    return Format("ok atmosphere %.2f mbar", number);
  }
  if (name == "supply") {
    const char* usage = "supply -12|+12|3.3|ext-12|ext+12 VOLTS";
    if (args.size() != 3 || !ParseDouble(args[2], number)) return Usage(usage);
    for (const SupplyName& s : kSupplies) {
      if (args[1] != s.name) continue;
      unit.SetSupply(s.supply, number);
      return Format("ok supply %s %.3f V", s.name, number);
    }
    return Usage(usage);
  }
  if (name == "noise") {
    if (args.size() != 2 || !ParseDouble(args[1], number) || number < 0.0) return Usage("noise COUNTS");
    unit.SetNoise(number);
    return Format("ok noise %.3f counts", number);
  }
  if (name == "seed") {
    if (args.size() != 2 || !ParseUnsigned(args[1], 0xFFFFFFFFul, integer)) return Usage("seed N");
    unit.SetSeed(static_cast<uint32_t>(integer));
    return Format("ok seed %lu", integer);
  }
  if (name == "measure-delay") {
    if (args.size() != 2 || !ParseUnsigned(args[1], 0xFFFFFFFFul, integer)) return Usage("measure-delay MS");
    unit.SetMeasureDelay(static_cast<uint32_t>(integer));
    return Format("ok measure-delay %lu ms", integer);
  }
  if (name == "fault") return FaultCommand(unit, args);
  if (name == "sensor") return SensorCommand(unit, args);
  if (name == "hangup") {
    if (args.size() != 1) return Usage("hangup");
    if (!line) return "error no line to hang up";
    line->HangUp();
    return "ok hangup";
  }
  if (name == "replug") {
    if (args.size() != 1) return Usage("replug");
    if (!line) return "error no line to plug in";
    std::string detail;
    if (!line->Replug(detail)) return "error replug failed: " + detail;
    return detail.empty() ? "ok replug" : "ok replug " + detail;
  }
  if (name == "power-cycle") {
    if (args.size() != 1) return Usage("power-cycle");
    unit.PowerCycle();
    return "ok power-cycle";
  }
  if (name == "bootloader") {
    if (args.size() != 1) return Usage("bootloader");
    const BootImage image = unit.bootImage();
    return Format("ok bootloader mode=%s lines=%zu records=%d bad-checksums=%d bad-lines=%d eof=%s",
                  unit.mode() == UnitMode::BootLoader ? "bootloader" : "modbus", image.lines.size(), image.records,
                  image.badChecksums, image.badLines, image.endedWithEof ? "yes" : "no");
  }
  if (name == "dump") {
    unsigned long first = 0, count = kAllRegisters;
    if (args.size() > 3 || (args.size() >= 2 && !ParseUnsigned(args[1], 0xFFFF, first)) ||
        (args.size() == 3 && !ParseUnsigned(args[2], 0xFFFF, count)))
      return Usage("dump [FIRST [COUNT]]");
    if (count == 0) return "error COUNT must be 1 or more";
    const auto registers = unit.Registers(static_cast<uint16_t>(first), static_cast<uint16_t>(count));
    if (registers.empty()) return Format("error no register of the map from %lu on", first);
    return Registers(registers);
  }
  if (name == "set") {
    unsigned long reg = 0;
    if (args.size() != 3 || !ParseUnsigned(args[1], 0xFFFF, reg) || !ParseUnsigned(args[2], 0xFFFF, integer))
      return Usage("set REGISTER VALUE");
    if (!unit.SetRegister(static_cast<uint16_t>(reg), static_cast<uint16_t>(integer)))
      return Format("error register %lu is not in the map", reg);
    return Format("ok %lu=0x%04lX", reg, integer);
  }
  if (name == "status") {
    if (args.size() != 1) return Usage("status");
    return "ok " + unit.Describe();
  }
  if (name == "help") {
    return "ok commands: tilt rotation pressure atmosphere supply noise seed measure-delay sensor fault hangup replug "
           "power-cycle bootloader dump set status help";
  }
  return "error unknown command '" + name + "' (help lists them)";
}

}  // namespace endcap::sim
