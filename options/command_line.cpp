#include "options/command_line.h"

#include <CLI/CLI.hpp>
#include <cstdio>

namespace endcap {

namespace {
constexpr int kExitHelp = 0;
constexpr int kExitUsageError = 2;
}  // namespace

std::string SelectedUsage(const CLI::App& app) {
  const CLI::App* current = &app;
  std::string path;
  for (;;) {
    const auto selected = current->get_subcommands();
    if (selected.empty()) return current->help(path);
    path += (path.empty() ? "" : " ") + current->get_name();
    current = selected.front();
  }
}

ParseOutcome ParseArguments(CLI::App& app, const std::vector<std::string>& args) {
  ParseOutcome outcome;
  // CLI11 takes its arguments last first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    outcome.kind = ParseOutcome::Kind::Help;
    outcome.text = app.help();
  } catch (const CLI::ParseError& error) {
    outcome.kind = ParseOutcome::Kind::UsageError;
    outcome.text = error.what();
    outcome.usage = SelectedUsage(app);
  }
  return outcome;
}

std::optional<int> FinishWithoutRunning(const ParseOutcome& outcome, const char* program) {
  switch (outcome.kind) {
    case ParseOutcome::Kind::Run: return std::nullopt;
    case ParseOutcome::Kind::Help: std::fputs(outcome.text.c_str(), stdout); return kExitHelp;
    case ParseOutcome::Kind::UsageError:
      std::fprintf(stderr, "%s: %s\n\n%s", program, outcome.text.c_str(), outcome.usage.c_str());
      return kExitUsageError;
  }
  return std::nullopt;
}

}  // namespace endcap
