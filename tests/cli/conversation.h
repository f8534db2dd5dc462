#pragma once
// Runs a program to its end while answering it as an operator at the terminal would: each time
// its stderr grows, the responder sees all of it so far and returns what to type next (empty:
// nothing yet). A program that is silent for longer than the time-out is killed.

#include <functional>
#include <string>
#include <vector>

#include "tests/cli/run_program.h"

namespace endcap::testing {

using Responder = std::function<std::string(const std::string& errSoFar)>;

// childPid, when given, is set to the program's process id once it has started.
ProgramResult Converse(const std::vector<std::string>& argv, const Responder& respond, int silenceTimeoutMs,
                       pid_t* childPid = nullptr);

}  // namespace endcap::testing
