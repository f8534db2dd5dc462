// calibrate inclinometer | strain [ACTION...]: the main window's Calibrate command with the
// calibration dialog in the terminal. Each action presses one of the dialog's buttons, in
// order, then Exit; without actions the buttons are offered as a menu on stdin. The options
// type into the dialog's edits before the first button. The record file lines are written when
// the dialog has closed, as in the window. A stop signal ends the calibration where it is;
// what it completed is recorded, and the command exits with 128 + the signal's number.

#include <CLI/CLI.hpp>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "console/display_text.h"
#include "protocol/register_map.h"
#include "resources/calibration_control_ids.h"
#include "serial/close_on_signal.h"

namespace endcap {

namespace {

struct Button {
  const char* action;  // the word on the command line and in the menu
  int id;
  const char* caption;
};

struct Field {
  const char* option;  // the command-line option without its dashes, and the menu word
  int id;
  const char* label;
  const char* description;
  bool integer;
  const char* typeName;
};

// What the terminal shows of a dialog after one of its buttons: the reading fields.
struct Shown {
  int id;
  const char* label;
  const char* unit;
};

struct DialogSpec {
  const char* sensor;    // command-line word
  const char* listText;  // the sensor list's text that the command chooses
  const char* caption;
  std::vector<Button> buttons;
  std::vector<Field> fields;
  const char* readAction;
  std::vector<Shown> reading;
};

const DialogSpec kInclinometer = {
    "inclinometer",
    "Inclinometer",
    "Calibration",
    {{"calibrate", ctl::incl::kCalibrate, "Calibrate"},
     {"confirm", ctl::incl::kConfirm, "Confirm calibration"},
     {"read", ctl::incl::kRead, "Read Inclinometer"},
     {"set", ctl::incl::kSetSamples, "Set samples and warm up"}},
    {{"samples", ctl::incl::kSamples, "Samples", "the Samples edit", true, "N"},
     {"warm-up", ctl::incl::kWarmUp, "Warm up (secs)", "the Warm up (secs) edit", false, "SECS"}},
    "read",
    {{ctl::incl::kPitch, "Pitch", "Degrees"}, {ctl::incl::kRoll, "Roll", "Degrees"}},
};

const DialogSpec kStrainGauge = {
    "strain",
    "RS485 Strain",
    "Strain gauge calibrate",
    {{"calibrate", ctl::strain::kSetAndCalibrate, "Set and calibrate"},
     {"confirm", ctl::strain::kConfirm, "Confirm calibration"},
     {"read", ctl::strain::kReadPressure, "Read pressure"},
     {"set", ctl::strain::kSetWarmUp, "Set warm up"}},
    {{"full-scale", ctl::strain::kFullScale, "Full scale (Bar)", "the Full scale edit", false, "BAR"},
     {"accuracy", ctl::strain::kAccuracy, "Accuracy (%)", "the Accuracy edit, percent of full scale", false, "PERCENT"},
     {"warm-up", ctl::strain::kWarmUp, "Warm up (Secs)", "the warm-up edit (Secs)", false, "SECS"}},
    "read",
    {{ctl::strain::kPressure, "Pressure", "Psi"}},
};

constexpr const char* kExitWord = "exit";

struct Request {
  std::vector<std::string> actions;
  std::map<int, std::string> typed;  // edit id -> text, from the options
};

// A dialog's edits as text; Exit marks it ended.
class TextFields : public virtual DialogFieldsView {
public:
  void SetFieldText(int id, const std::string& text) override { fields_[id] = text; }
  std::string FieldText(int id) const override {
    const auto it = fields_.find(id);
    return it == fields_.end() ? std::string() : it->second;
  }
  void EndDialog() override { ended_ = true; }
  bool ended() const { return ended_; }

private:
  std::map<int, std::string> fields_;
  bool ended_ = false;
};

// The calibration dialog in the terminal. The pressure dialog is a prompt under its caption with
// the suggested pressure as default; a refused pressure is asked for again, the suggestion
// offered again. At the end of input no pressure was set, and the dialog is abandoned.
class TerminalCalibrationView : public TextFields, public StrainGaugeCalView {
public:
  explicit TerminalCalibrationView(TerminalOperator& terminal) : terminal_(terminal) {}

  void RunPressureSetDialog(PressureSetDialog& dialog) override {
    TextFields entry;
    dialog.Attach(entry);
    dialog.OnInitDialog();
    const std::string suggested = entry.FieldText(ctl::pressure::kPressure);
    while (!entry.ended()) {
      const std::optional<std::string> applied = terminal_.PromptBenchStep("Set measurement pressure", suggested);
      if (!applied) {
        dialog.OnAbandon();
        return;
      }
      entry.SetFieldText(ctl::pressure::kPressure, *applied);
      dialog.OnPressureSet();
    }
  }

private:
  TerminalOperator& terminal_;
};

class DialogRun {
public:
  DialogRun(CliSession& session, const DialogSpec& spec, TerminalCalibrationView& view)
      : session_(session), spec_(spec), view_(view) {}

  // Presses the requested buttons (or offers the menu), then Exit. True when every button
  // pressed ran to its end and passed.
  template <class Dialog>
  bool Run(Dialog& dialog, const Request& request) {
    dialog.Attach(view_);
    dialog.OnInitDialog();
    for (const auto& [id, text] : request.typed) view_.SetFieldText(id, text);
    bool passed = true;
    if (!request.actions.empty()) {
      // After a stop signal, once the unit has gone, or once the answers ran out at a step at the
      // bench, no further button is pressed: each would only wait out its time-outs and say
      // again that the unit is lost, or stop at its first step at the bench.
      for (const std::string& action : request.actions) {
        if (NotedStopSignal() || session_.app.client.UnitLost() || !session_.terminal.inputEndedAt().empty()) break;
        passed = Press(dialog, *FindButton(action)) && passed;
      }
    } else {
      passed = RunMenu(dialog);
    }
    dialog.OnExit();
    return passed;
  }

private:
  const Button* FindButton(const std::string& word) const {
    for (const Button& button : spec_.buttons)
      if (word == button.action) return &button;
    return nullptr;
  }

  template <class Dialog>
  bool Press(Dialog& dialog, const Button& button) {
    session_.streams.err << "--- " << button.caption << " ---\n";
    dialog.OnCommand(button.id);
    if (std::string(button.action) == spec_.readAction) {
      for (const Shown& shown : spec_.reading)
        session_.streams.out << shown.label << ' ' << view_.FieldText(shown.id) << ' ' << shown.unit << '\n';
      session_.streams.out.flush();
    }
    return dialog.commandSucceeded;
  }

  void ShowMenu() {
    std::ostream& err = session_.streams.err;
    err << "=== " << spec_.caption << " ===\n";
    for (const Field& field : spec_.fields)
      err << "  " << field.label << " [" << view_.FieldText(field.id) << "]  (" << field.option << " VALUE)\n";
    for (size_t i = 0; i < spec_.buttons.size(); ++i)
      err << i + 1 << "  " << spec_.buttons[i].action << "\t" << spec_.buttons[i].caption << '\n';
    err << spec_.buttons.size() + 1 << "  " << kExitWord << "\tExit\n";
    err << "Button: ";
    err.flush();
  }

  // Reads the operator's choices until Exit or the end of input.
  template <class Dialog>
  bool RunMenu(Dialog& dialog) {
    bool passed = true;
    for (;;) {
      ShowMenu();
      std::string line;
      if (NotedStopSignal() || !std::getline(session_.streams.in, line)) {
        session_.streams.err << "(end of input: Exit)\n";
        return passed;
      }
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (session_.streams.echoAnswers) session_.streams.err << line << '\n';
      std::istringstream words(line);
      std::string word, value;
      words >> word;
      std::getline(words >> std::ws, value);
      if (word == kExitWord || word == std::to_string(spec_.buttons.size() + 1)) return passed;
      const Button* button = FindButton(word);
      for (size_t i = 0; i < spec_.buttons.size(); ++i)
        if (word == std::to_string(i + 1)) button = &spec_.buttons[i];
      if (button) {
        passed = Press(dialog, *button) && passed;
        continue;
      }
      for (const Field& field : spec_.fields)
        if (word == field.option) view_.SetFieldText(field.id, value);
    }
  }

  CliSession& session_;
  const DialogSpec& spec_;
  TerminalCalibrationView& view_;
};

int RunCalibrate(CliSession& session, const DialogSpec& spec, const Request& request) {
  return session.RunInWindow([&](MainDialog& dialog, TextView& view) -> int {
    TerminalCalibrationView calibration(session.terminal);
    DialogRun run(session, spec, calibration);
    bool opened = false;
    bool passed = false;
    view.runInclinometerCal = [&](InclinometerCalDialog& cal) {
      opened = true;
      passed = run.Run(cal, request);
    };
    view.runStrainGaugeCal = [&](StrainGaugeCalDialog& cal) {
      opened = true;
      passed = run.Run(cal, request);
    };
    // The sensor chosen as the operator would type it into the sensor list.
    view.SetSensorEditText(spec.listText);
    dialog.OnCalibrate();
    session.PrintPane(view);
    if (const int stop = NotedStopSignal()) {
      session.Fail(std::string("stopped by ") + StopSignalName(stop) +
                   (dialog.resultsNotRecorded.empty()
                        ? "; what was completed before it is recorded"
                        : "; the results were not recorded: " + dialog.resultsNotRecorded));
      return 128 + stop;
    }
    if (!dialog.connected) return session.UnitFailed();
    if (!opened) return session.NotDone("the calibration did not start");
    if (!passed) return session.NotDone("the calibration or its check did not pass");
    if (!dialog.resultsNotRecorded.empty())
      return session.Fail("calibrated, but the results were not recorded: " + dialog.resultsNotRecorded);
    return kExitDone;
  });
}

void AddSensor(CLI::App& calibrate, CliOptions& options, const DialogSpec& spec, const std::string& description) {
  auto request = std::make_shared<Request>();
  auto texts = std::make_shared<std::map<int, std::string>>();
  CLI::App* sub = calibrate.add_subcommand(spec.sensor, description);
  std::vector<std::string> words;
  std::string actionHelp = "buttons to press in order, then Exit:";
  for (const Button& button : spec.buttons) {
    words.push_back(button.action);
    actionHelp += std::string(" ") + button.action + " (" + button.caption + ")";
  }
  sub->add_option("ACTION", request->actions, actionHelp + "; none: a menu on stdin")
      ->check(CLI::IsMember(words))
      ->type_name("");
  for (const Field& field : spec.fields) {
    CLI::Option* option = sub->add_option_function<std::string>(
        std::string("--") + field.option, [texts, id = field.id](const std::string& text) { (*texts)[id] = text; },
        field.description);
    // The value goes into the edit as typed; only whether it is a number is checked here.
    option->check(field.integer ? CLI::TypeValidator<int>("").description("") : CLI::Number.description(""))
        ->type_name(field.typeName);
  }
  sub->callback([&options, &spec, request, texts] {
    request->typed = *texts;
    options.run = [&spec, request](CliSession& session) { return RunCalibrate(session, spec, *request); };
  });
}

}  // namespace

void AddCalibrateCommand(CLI::App& cli, CliOptions& options) {
  CLI::App* calibrate =
      cli.add_subcommand("calibrate", "the Calibrate command: calibrate and check a sensor, with its dialog in the terminal");
  calibrate->require_subcommand(1);
  AddSensor(*calibrate, options, kInclinometer, "the inclinometer on the tilting fixture");
  AddSensor(*calibrate, options, kStrainGauge, "the strain gauge against the dead-weight tester");
}

}  // namespace endcap
