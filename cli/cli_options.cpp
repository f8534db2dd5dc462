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
    "No or Abort, an OK box is closed, and a prompt or the port question takes its default,\n"
    "but a box or prompt that asks for a step at the bench (move the fixture, set a pressure)\n"
    "stops the procedure there. The answer options answer their prompts without reading a line.\n"
    "\n"
    "exit status: 0 done; 1 the unit could not be reached or did not answer as expected,\n"
    "or a check or an answer stopped the command; 2 usage error";

constexpr const char* kSharedGroup = "Options of every command";

// A command's help also lists the options every command takes, which belong to the program.
void ShowProgramOptions(CLI::App& cli, CLI::App& command) {
  command.footer([&cli]() -> std::string {
    std::vector<const CLI::Option*> shared, answers;
    for (const CLI::Option* option : cli.get_options()) {
      if (option == cli.get_help_ptr()) continue;
      (option->get_group() == kAnswerOptionsGroup ? answers : shared).push_back(option);
    }
    // The program's own formatter, so the options read as in the program's help.
    const auto formatter = std::dynamic_pointer_cast<CLI::Formatter>(cli.get_formatter());
    if (!formatter) return {};
    return formatter->make_group(kSharedGroup, false, shared) + formatter->make_group(kAnswerOptionsGroup, false, answers);
  });
  for (CLI::App* sub : command.get_subcommands({})) ShowProgramOptions(cli, *sub);
}

}  // namespace

CLI::Option* AddNumber(CLI::App& command, const std::string& name, uint32_t min, uint32_t max,
                       const std::function<void(uint32_t)>& take, const std::string& description) {
  return command
      .add_option_function<std::string>(
          name,
          [name, min, max, take](const std::string& text) {
            uint32_t value = 0;
            if (!ParseNumber(text, max, value) || value < min)
              throw CLI::ValidationError(name, "must be a number from " + std::to_string(min) + " to " +
                                                   std::to_string(max) + " (decimal or 0x hex): '" + text + "'");
            take(value);
          },
          description)
      ->type_name("");
}

CLI::Option* AddNumber(CLI::App& command, const std::string& name, uint32_t min, uint32_t max, uint32_t& value,
                       const std::string& description) {
  return AddNumber(command, name, min, max, [&value](uint32_t number) { value = number; }, description);
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
  auto* comOption = AddNumber(
                        cli, "--com", 1, kMaxComPort, [&options](uint32_t com) { options.coms.push_back(static_cast<uint8_t>(com)); },
                        "use COM N without asking; without --device or --com the ports that open "
                        "are listed and one is asked for (bootload: repeatable, a board on each)")
                        ->type_name("N")
                        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                        ->trigger_on_parse();
  device->excludes(comOption);
  device->excludes("--port");
  AddAnswerOptions(cli, options.answers);

  // One command a run. Once it is named, its own words (a calibration's "read" action) are
  // not taken for another command.
  cli.require_subcommand(0, 1);
  AddRegisterCommands(cli, options);
  AddWindowCommands(cli, options);
  AddCalibrateCommand(cli, options);
  AddProductionCommands(cli, options);
  AddBootloadCommand(cli, options);
  AddCalSheetCommand(cli, options);
  AddResultsCommand(cli, options);
  AddStoreCommands(cli, options);
  for (CLI::App* command : cli.get_subcommands({})) ShowProgramOptions(cli, *command);

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
  if (parse.outcome.kind == ParseOutcome::Kind::Run && options.coms.size() > 1 && !options.manyComs) {
    parse.outcome.kind = ParseOutcome::Kind::UsageError;
    parse.outcome.usage = SelectedUsage(cli);
    parse.outcome.text = "--com is given once, except to bootload";
  }
  if (!options.coms.empty()) options.com = options.coms.front();
  // The one port mapped is the one meant.
  const std::vector<int>& mapped = options.shared.ports.optionPorts();
  if (options.com == 0 && mapped.size() == 1) options.com = static_cast<uint8_t>(mapped.front());
  return parse;
}

}  // namespace endcap
