#pragma once
// The simulated bench's control language: one command a line, one line of answer, "ok ..." or
// "error ...". The standalone simulator reads it on standard input; the station's simulated
// bench window and the tests call ExecuteCommand directly.

#include <string>

#include "sim/line_control.h"
#include "sim/simulated_unit.h"

namespace endcap::sim {

// line may be null when nothing can be unplugged; hangup and replug then answer an error.
std::string ExecuteCommand(SimulatedUnit& unit, LineControl* line, const std::string& command);

// The command list, one command a line, for --help.
const char* CommandHelp();

// Whole-text numbers, as the commands and the simulator's options take them: a finite decimal
// number; an unsigned integer up to max, decimal or 0x hexadecimal.
bool ParseDouble(const std::string& text, double& value);
bool ParseUnsigned(const std::string& text, unsigned long max, unsigned long& value);

}  // namespace endcap::sim
