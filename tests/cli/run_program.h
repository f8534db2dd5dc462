#pragma once
// Runs a program to its end with a given standard input, and returns its exit status and what
// it wrote on stdout and stderr, kept apart.

#include <string>
#include <vector>

namespace endcap::testing {

struct ProgramResult {
  int exitStatus = -1;  // -1 when it did not start or did not exit normally
  std::string out;
  std::string err;
};

// argv[0] is the program's path. The input is written whole and then closed, so a program
// that reads past it sees the end of input.
ProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& input = "");

}  // namespace endcap::testing
