#pragma once
// The PCB test dialog on a terminal. Given actions, each presses one check in order and then
// Exit; without, a menu on the answer stream offers the five checks and Exit until the dialog
// ends, and the end of input is Exit. An Exit that the operator turns down at the end of the
// actions or of the input leaves the dialog as Esc does, without a verdict.

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "procedures/pcb_test_dialog.h"

namespace endcap {

struct PcbAction {
  const char* name;  // on the command line and in the menu
  int id;            // the dialog's button
  const char* caption;
};

// serial, supplies, current, internal-rs485, rs485-comms, in the dialog's order.
const std::vector<PcbAction>& PcbActions();
// The button of an action name; 0 when there is none.
int PcbActionId(const std::string& name);

// Runs the dialog to its end. presses: button ids, Exit added after the last.
// echo: repeat each menu answer read (piped answers), as the terminal operator does.
void RunPcbTestOnTerminal(PcbTestDialog& dialog, const std::vector<int>& presses, std::istream& in, std::ostream& out,
                          bool echo);

}  // namespace endcap
