// registers read | write | write-single, and control: one unit operation each, on the chosen
// port, without the window's handshake.

#include <CLI/CLI.hpp>
#include <memory>
#include <vector>

#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "cli/number_text.h"
#include "protocol/modbus_frame.h"
#include "serial/text_format.h"

namespace endcap {

namespace {

constexpr int kRegisterTimeoutSeconds = 2;
constexpr int kControlTimeoutSeconds = 1;

constexpr uint32_t kMaxRegister = 0xFFFF;
// The unit's single-register write carries only the low byte of the value (and a flag).
constexpr uint32_t kMaxSingleValue = 0xFF;
constexpr uint32_t kMaxFunction = 0xFF;

struct RegisterArgs {
  uint32_t first = 0;
  uint32_t count = 0;
  std::vector<uint16_t> values;
  uint32_t function = 0;
  uint32_t parameter = 0;
};

void CheckRangeEnds(uint32_t first, size_t count) {
  if (first + count - 1 > kMaxRegister) throw CLI::ValidationError("registers beyond 65535 do not exist");
}

int ReadRegisters(CliSession& session, const RegisterArgs& args) {
  int status = kExitDone;
  if (!session.OpenChosenPort(status)) return status;
  std::vector<uint16_t> values(args.count);
  if (!session.app.client.ReadInputRegisters(static_cast<uint16_t>(args.first), static_cast<int>(args.count),
                                       values.data(), kRegisterTimeoutSeconds))
    return session.UnitFailed();
  for (uint32_t k = 0; k < args.count; ++k)
    session.streams.out << Format("%u\t%u\t0x%04x\n", args.first + k, values[k], values[k]);
  return kExitDone;
}

// The write and control commands: the operation's own success is the result.
int WriteToUnit(CliSession& session, const std::function<bool(UnitClient&)>& operation) {
  int status = kExitDone;
  if (!session.OpenChosenPort(status)) return status;
  return operation(session.app.client) ? kExitDone : session.UnitFailed();
}

// The register values of registers write and write-single, each checked as it is read.
CLI::Option* AddValues(CLI::App& command, std::vector<uint16_t>& values, uint32_t max, const std::string& description) {
  return command
      .add_option_function<std::vector<std::string>>(
          "VALUE",
          [&values, max](const std::vector<std::string>& texts) {
            for (const std::string& text : texts) {
              uint32_t value = 0;
              if (!ParseNumber(text, max, value))
                throw CLI::ValidationError("VALUE", "must be a number from 0 to " + std::to_string(max) +
                                                        " (decimal or 0x hex): '" + text + "'");
              values.push_back(static_cast<uint16_t>(value));
            }
          },
          description)
      ->type_name("")
      ->required();
}

}  // namespace

void AddRegisterCommands(CLI::App& cli, CliOptions& options) {
  auto args = std::make_shared<RegisterArgs>();

  CLI::App* registers = cli.add_subcommand("registers", "read or write the unit's registers directly");
  registers->require_subcommand(1);

  CLI::App* read = registers->add_subcommand(
      "read", "read COUNT (1-125) registers from FIRST (function 4); one line each: register, decimal value, "
              "hex value, tab-separated");
  AddNumber(*read, "FIRST", 0, kMaxRegister, args->first, "the first register")->required();
  AddNumber(*read, "COUNT", 1, modbus::kMaxReadCount, args->count, "how many registers, 1-125")->required();
  read->callback([&options, args] {
    CheckRangeEnds(args->first, args->count);
    options.run = [args](CliSession& session) { return ReadRegisters(session, *args); };
  });

  CLI::App* write = registers->add_subcommand(
      "write", "write 1-123 registers from FIRST (the unit's unlock, then function 16)");
  AddNumber(*write, "FIRST", 0, kMaxRegister, args->first, "the first register")->required();
  AddValues(*write, args->values, kMaxRegister, "the values, one per register");
  write->callback([&options, args] {
    if (args->values.size() > modbus::kMaxWriteCount)
      throw CLI::ValidationError("VALUE", "at most 123 registers can be written at once");
    CheckRangeEnds(args->first, args->values.size());
    options.run = [args](CliSession& session) {
      return WriteToUnit(session, [&args](UnitClient& client) {
        return client.WriteMultipleRegisters(static_cast<uint16_t>(args->first), static_cast<int>(args->values.size()),
                                           args->values.data(), kRegisterTimeoutSeconds);
      });
    };
  });

  CLI::App* single = registers->add_subcommand(
      "write-single",
      "write one register (function 6; VALUE 0-255). As the unit's protocol has it, a value above 8 goes out "
      "with a high byte of 1, so 200 (0xC8) is written as 0x01C8 and reads back as 456");
  AddNumber(*single, "REGISTER", 0, kMaxRegister, args->first, "the register")->required();
  AddValues(*single, args->values, kMaxSingleValue, "the value, 0-255")->expected(1);
  single->callback([&options, args] {
    options.run = [args](CliSession& session) {
      return WriteToUnit(session, [&args](UnitClient& client) {
        return client.WriteSingleRegister(args->values.front(), static_cast<uint16_t>(args->first),
                                        kRegisterTimeoutSeconds);
      });
    };
  });

  CLI::App* control = cli.add_subcommand("control", "send one of the unit's control functions (1 s time-out)");
  AddNumber(*control, "FUNCTION", 0, kMaxFunction, args->function, "the function code")->required();
  AddNumber(*control, "PARAMETER", 0, kMaxRegister, args->parameter, "its 16-bit parameter")->required();
  control->callback([&options, args] {
    options.run = [args](CliSession& session) {
      return WriteToUnit(session, [&args](UnitClient& client) {
        return client.SendControlFunction(static_cast<uint16_t>(args->parameter), static_cast<uint8_t>(args->function),
                                        kControlTimeoutSeconds);
      });
    };
  });
}

}  // namespace endcap
