#include "cli/cli_options.h"

#include <CLI/CLI.hpp>

#include "cli/cli_command.h"
#include "cli/number_text.h"

namespace endcap {

namespace {

constexpr uint32_t kMaxComPort = 255;

const char* const kFooter =
    "Numbers are decimal or 0x hex. Messages, questions and prompts go to stderr and are\n"
    "answered on stdin (y/n, a/r/i, Enter for OK, a line of text; an empty line takes the\n"
    "default shown), so answers can be piped in; at the end of input a question is answered\n"
    "No or Abort, an OK box is closed, and a prompt or the port question takes its default.\n"
    "\n"
    "exit status: 0 done; 1 the unit could not be reached or did not answer as expected,\n"
    "or a check or an answer stopped the command; 2 usage error";

}  // namespace

CLI::Option* AddNumber(CLI::App& command, const std::string& name, uint32_t min, uint32_t max, uint32_t& value,
                       const std::string& description) {
  return command
      .add_option_function<std::string>(
          name,
          [name, min, max, &value](const std::string& text) {
            if (!ParseNumber(text, max, value) || value < min)
              throw CLI::ValidationError(name, "must be a number from " + std::to_string(min) + " to " +
                                                   std::to_string(max) + " (decimal or 0x hex): '" + text + "'");
          },
          description)
      ->type_name("");
}

CliParse ParseCommandLine(const std::vector<std::string>& args) {
  CliParse parse;
  CliOptions& options = parse.options;
  CLI::App cli("Talks to the end-cap sensor board: Modbus RTU, 9600 baud 8N1, slave 250.", "endcap-cli");
  cli.get_formatter()->column_width(40);
  // Options may come before or after the command, as the operator thinks of them.
  cli.fallthrough();

  auto* device = cli.add_option_function<std::string>(
                        "--device",
                        [&options](const std::string& path) {
                          options.shared.ports.Set(1, path);
                          options.com = 1;
                        },
                        "use the serial device PATH (as COM1) without asking")
                     ->type_name("PATH");
  AddSharedOptions(cli, options.shared);
  uint32_t com = 0;
  auto* comOption = AddNumber(cli, "--com", 1, kMaxComPort, com,
                              "use COM N without asking; without --device or --com the ports that open "
                              "are listed and one is asked for")
                        ->type_name("N");
  device->excludes(comOption);
  device->excludes("--port");

  // One command a run. Once it is named, its own words (a calibration's "read" action) are
  // not taken for another command.
  cli.require_subcommand(0, 1);
  AddRegisterCommands(cli, options);
  AddWindowCommands(cli, options);
  AddCalibrateCommand(cli, options);
  AddProductionCommands(cli, options);
  AddCalSheetCommand(cli, options);
  AddResultsCommand(cli, options);
  AddStoreCommands(cli, options);

  // Set last, so that the commands do not inherit them: the footer belongs to the whole
  // program's help, and words left over are judged here, where the command is known.
  cli.footer(kFooter);
  cli.allow_extras();

  parse.outcome = ParseArguments(cli, args);
  if (parse.outcome.kind == ParseOutcome::Kind::Run) {
    const std::vector<std::string> extras = cli.remaining();
    if (!options.run || !extras.empty()) {
      parse.outcome.kind = ParseOutcome::Kind::UsageError;
      parse.outcome.usage = SelectedUsage(cli);
      if (!extras.empty() && extras.front().rfind('-', 0) == 0)
        parse.outcome.text = "unknown option '" + extras.front() + "'";
      else if (options.run)
        parse.outcome.text = "unexpected argument '" + extras.front() + "'";
      else if (!extras.empty())
        parse.outcome.text = "unknown command '" + extras.front() + "'";
      else
        parse.outcome.text = "no command given";
    }
  }
  if (com != 0) options.com = static_cast<uint8_t>(com);
  return parse;
}

}  // namespace endcap
