#include "cli/answer_options.h"

#include <CLI/CLI.hpp>
#include <vector>

#include "operator/operator_prompts.h"

namespace endcap {

namespace {

struct AnswerOption {
  const char* name;
  const char* typeName;
  std::vector<const char*> captions;  // the prompts it answers
  const char* what;
};

const std::vector<AnswerOption>& AnswerOptions() {
  static const std::vector<AnswerOption> kOptions = {
      {"--operator", "ID", {prompt::kOperatorId}, "the operator ID, 2 or 3 characters"},
      {"--unit-serial", "S", {prompt::kUnitSerial}, "the unit serial, such as 123456-007"},
      {"--board-serial", "S", {prompt::kBoardSerial, prompt::kPcbBoardSerial}, "the board serial"},
      {"--current", "MA", {prompt::kCurrentDrawn}, "the current the unit draws, after a calibration"},
      {"--atmosphere", "MBAR", {prompt::kAtmosphere}, "the atmospheric pressure"},
      {"--temperature", "C", {prompt::kTemperature}, "the local temperature"},
      {"--tester", "MAKE", {prompt::kTesterMake}, "the dead-weight tester's make"},
      {"--tester-id", "N", {prompt::kTesterId}, "the dead-weight tester's ident. number"},
      {"--gauge-make", "TEXT", {prompt::kGaugeMake}, "the strain gauge's manufacturer"},
      {"--gauge-model", "TEXT", {prompt::kGaugeModel}, "the strain gauge's model"},
      {"--gauge-serial", "N", {prompt::kGaugeSerial}, "the strain gauge's serial number"},
      {"--unloaded-current", "MA", {prompt::kUnloadedCurrent}, "the PCB test's supply current, unloaded"},
      {"--loaded-current", "MA", {prompt::kLoadedCurrent}, "the PCB test's supply current, loaded"},
  };
  return kOptions;
}

}  // namespace

void AddAnswerOptions(CLI::App& cli, GivenAnswers& answers) {
  for (const AnswerOption& option : AnswerOptions()) {
    std::string description = std::string(option.what) + ": answers";
    for (size_t i = 0; i < option.captions.size(); ++i)
      description += std::string(i == 0 ? " \"" : " and \"") + option.captions[i] + "\"";
    cli.add_option_function<std::string>(
           option.name,
           [&answers, &option](const std::string& text) {
             for (const char* caption : option.captions) answers.byCaption[caption] = text;
           },
           description)
        ->type_name(option.typeName)
        ->group(kAnswerOptionsGroup);
  }
  cli.add_flag("--yes", answers.yesToGoingOn,
               "answer Yes to the warnings before going on: the PCB test's \"Continuing will erase any existing "
               "calibration\" and the strain gauge's full scale question")
      ->group(kAnswerOptionsGroup);
}

}  // namespace endcap
