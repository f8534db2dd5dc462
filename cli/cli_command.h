#pragma once
// How a command joins endcap-cli. Each command (or family of commands) has its own file
// cli/<name>_command.cpp defining
//
//     void Add<Name>Command(CLI::App& cli, CliOptions& options);
//
// which declares its subcommand, arguments and options with CLI11 and, in the subcommand's
// callback (run only when the command line named it), sets options.run to the function that
// runs it in a CliSession. The arguments live in a shared_ptr captured by both, so they
// outlive the parse. The function is then listed once in ParseCommandLine (cli_options.cpp).
//
// A command returns its exit status: kExitDone, or kExitUnitFailed after saying why on stderr
// (CliSession::Fail and its kin). Usage errors are the parser's business: a check that needs
// several arguments at once throws CLI::ValidationError from the callback.

#include <cstdint>
#include <functional>
#include <string>

#include "cli/cli_options.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace endcap {

// A number argument or option: decimal, or hexadecimal after 0x, from min to max.
CLI::Option* AddNumber(CLI::App& command, const std::string& name, uint32_t min, uint32_t max, uint32_t& value,
                       const std::string& description);
// The same, handing each number to take as it is parsed.
CLI::Option* AddNumber(CLI::App& command, const std::string& name, uint32_t min, uint32_t max,
                       const std::function<void(uint32_t)>& take, const std::string& description);

void AddRegisterCommands(CLI::App& cli, CliOptions& options);
void AddWindowCommands(CLI::App& cli, CliOptions& options);
void AddCalibrateCommand(CLI::App& cli, CliOptions& options);
void AddProductionCommands(CLI::App& cli, CliOptions& options);
void AddBootloadCommand(CLI::App& cli, CliOptions& options);
void AddCalSheetCommand(CLI::App& cli, CliOptions& options);
void AddResultsCommand(CLI::App& cli, CliOptions& options);
void AddStoreCommands(CLI::App& cli, CliOptions& options);

}  // namespace endcap
