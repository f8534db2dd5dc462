#include "cli/pcb_test_runner.h"

#include <cstdio>

namespace endcap {

namespace {

class TerminalPcbView : public PcbTestView {
public:
  void EndDialog(Ending) override { ended = true; }
  bool ended = false;
};

const char* ResultText(CheckResult result) {
  switch (result) {
    case kCheckPassed: return "passed";
    case kCheckFailed: return "failed";
    default: return "not run";
  }
}

CheckResult ResultOf(const PcbTestDialog& dialog, int id) {
  switch (id) {
    case ctl::pcb::kSetSerialNumber: return dialog.run.serialResult;
    case ctl::pcb::kCheckSupplyVoltages: return dialog.run.suppliesResult;
    case ctl::pcb::kCheckSupplyCurrent: return dialog.run.currentResult;
    case ctl::pcb::kCheckInternalRs485: return dialog.run.internalRs485Result;
    default: return dialog.run.rs485CommsResult;
  }
}

void ShowMenu(const PcbTestDialog& dialog, std::ostream& out) {
  out << "=== Dialog ===\n";
  int number = 1;
  char line[96];
  for (const PcbAction& action : PcbActions()) {
    std::snprintf(line, sizeof line, "%d  %-24s%-16s[%s]\n", number++, action.caption, action.name,
                  ResultText(ResultOf(dialog, action.id)));
    out << line;
  }
  out << "x  Exit\n";
}

// The button a menu answer presses: its number, its action name or x/exit; 0 for none.
int MenuChoice(const std::string& answer) {
  if (answer == "x" || answer == "X" || answer == "exit") return ctl::pcb::kExit;
  const std::vector<PcbAction>& actions = PcbActions();
  for (size_t i = 0; i < actions.size(); ++i)
    if (answer == std::to_string(i + 1)) return actions[i].id;
  return PcbActionId(answer);
}

// Exit; when the operator turns that down here, the dialog ends as Esc ends it.
void ExitOrCancel(PcbTestDialog& dialog, const TerminalPcbView& view) {
  dialog.OnExit();
  if (!view.ended) dialog.OnCancel();
}

}  // namespace

const std::vector<PcbAction>& PcbActions() {
  static const std::vector<PcbAction> actions = {
      {"serial", ctl::pcb::kSetSerialNumber, "Set serial number"},
      {"supplies", ctl::pcb::kCheckSupplyVoltages, "Check supply voltages"},
      {"current", ctl::pcb::kCheckSupplyCurrent, "Check supply current"},
      {"internal-rs485", ctl::pcb::kCheckInternalRs485, "Check internal RS485"},
      {"rs485-comms", ctl::pcb::kCheckRs485Comms, "Check RS485 comms"},
  };
  return actions;
}

int PcbActionId(const std::string& name) {
  for (const PcbAction& action : PcbActions())
    if (name == action.name) return action.id;
  return 0;
}

void RunPcbTestOnTerminal(PcbTestDialog& dialog, const std::vector<int>& presses, std::istream& in, std::ostream& out,
                          bool echo) {
  TerminalPcbView view;
  dialog.Attach(view);
  dialog.OnInitDialog();
  if (!presses.empty()) {
    for (int id : presses) {
      if (view.ended) return;
      dialog.OnCommand(id);
    }
    if (!view.ended) ExitOrCancel(dialog, view);
    return;
  }
  while (!view.ended) {
    ShowMenu(dialog, out);
    out << "Choice: " << std::flush;
    std::string answer;
    if (!std::getline(in, answer)) {
      out << "(end of input: Exit)\n";
      ExitOrCancel(dialog, view);
      return;
    }
    if (!answer.empty() && answer.back() == '\r') answer.pop_back();
    if (echo) out << answer << '\n';
    const int id = MenuChoice(answer);
    if (id != 0) dialog.OnCommand(id);
  }
}

}  // namespace endcap
