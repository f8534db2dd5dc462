// cal-sheet: the Calibration sheet command of the window, its sheet button pressed on the
// terminal, then the certificate offered as a yes/no question. No unit is needed.

#include <CLI/CLI.hpp>
#include <memory>

#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "resources/control_ids.h"
#include "resources/record_control_ids.h"
#include "resources/certificate_templates.h"

namespace endcap {

namespace {

// The certificate prompt as a question: the dialog's texts, top to bottom, Yes or No.
class TerminalCertificatePrompt : public CertificatePromptView {
public:
  explicit TerminalCertificatePrompt(OperatorInterface& op) : op_(op) {}

  void Run(CertificatePromptDialog& prompt) {
    prompt.Attach(*this);
    prompt.OnInitDialog();
    std::string text;
    for (const resources::ControlTemplate& c : resources::kCertificatePromptControls) {
      if (c.kind != resources::ControlKind::Label) continue;
      if (!text.empty()) text += "\r\n";
      text += c.id == ctl::certificate::kTemplateText ? templateText_ : c.caption;
    }
    const MessageBox question{text, resources::kCertificatePromptDialog.caption, BoxButtons::YesNo, BoxIcon::None, 0,
                              BoxOwner::Window};
    prompt.OnCommand(op_.ShowMessage(question) == BoxAnswer::Yes ? ctl::certificate::kYes : ctl::certificate::kNo);
  }

  void SetTemplateText(const std::string& text) override { templateText_ = text; }
  void SetWaitCursor(bool) override {}
  void EndDialog() override {}

private:
  OperatorInterface& op_;
  std::string templateText_;
};

// The sheet dialog on the terminal: the serial typed into its edit, one button pressed.
class TerminalCalSheet : public CalSheetView {
public:
  TerminalCalSheet(OperatorInterface& op, const std::string* serial) : op_(op), serial_(serial) {}

  void SetSerialText(const std::string& text) override { shown_ = text; }
  std::string SerialText() const override { return serial_ ? *serial_ : shown_; }
  void SetWaitCursor(bool) override {}
  void RunCertificatePrompt(CertificatePromptDialog& prompt) override { TerminalCertificatePrompt(op_).Run(prompt); }
  void EndDialog() override {}

private:
  OperatorInterface& op_;
  const std::string* serial_;  // the --serial text, or null: the pre-filled one stands
  std::string shown_;
};

struct CalSheetArguments {
  std::string sheet;
  std::string serial;
  bool serialGiven = false;
};

int RunCalSheet(CliSession& session, const CalSheetArguments& args) {
  TextView view;
  MainDialog dialog(session.app, view);
  dialog.OnInitDialog();
  const bool inclinometer = args.sheet == "inclinometer";
  TerminalCalSheet sheetView(session.op, args.serialGiven ? &args.serial : nullptr);
  SheetOutcome outcome = SheetOutcome::NotWritten;
  std::string folder;
  view.calSheet = [&](CalSheetDialog& sheet) {
    sheet.Attach(sheetView);
    sheet.OnInitDialog();
    sheet.OnCommand(inclinometer ? ctl::sheet::kInclinometerResults : ctl::sheet::kStrainGaugeResults);
    sheet.OnCommand(ctl::sheet::kExit);
    outcome = sheet.sheetOutcome;
    folder = sheet.certificateFolder();
  };
  dialog.OnCommand(ctl::kCalibrationSheet);
  if (outcome == SheetOutcome::SerialRefused) return session.Fail("the serial was refused");
  const std::string file = folder + (inclinometer ? "calibrate_inclin.csv" : "calibrate_pressure.csv");
  if (outcome != SheetOutcome::Written) return session.Fail(file + " was not written");
  session.streams.out << file << '\n';
  return kExitDone;
}

}  // namespace

void AddCalSheetCommand(CLI::App& cli, CliOptions& options) {
  auto args = std::make_shared<CalSheetArguments>();
  CLI::App* sub = cli.add_subcommand(
      "cal-sheet",
      "write the calibration sheet of a unit from the results store (inclinometer: calibrate_inclin.csv, "
      "strain: calibrate_pressure.csv, in the certificate folder Q:\\CALIBRAT\\Drelvik5\\Endcap), then offer "
      "the certificate; no unit is needed");
  sub->add_option("SHEET", args->sheet, "inclinometer or strain")
      ->required()
      ->check(CLI::IsMember({"inclinometer", "strain"}));
  CLI::Option* serial =
      sub->add_option("--serial", args->serial, "the unit serial, as typed into the dialog (default: the dialog's "
                                                "pre-filled serial, none in a new run)")
          ->type_name("SERIAL");
  sub->callback([&options, args, serial] {
    args->serialGiven = serial->count() > 0;
    options.run = [args](CliSession& session) { return RunCalSheet(session, *args); };
  });
}

}  // namespace endcap
