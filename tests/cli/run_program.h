#pragma once
// Runs a program to its end with a given standard input, and returns its exit status and what
// it wrote on stdout and stderr, kept apart.

#include <sys/types.h>

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

// A program started with its standard input, output and error on pipes: the station's end of
// each (write to in, read from out and err). SIGPIPE is ignored, so that a child that stops
// reading early makes a write fail instead of killing the test.
struct PipedChild {
  pid_t pid = -1;
  int in = -1, out = -1, err = -1;
};
// False when the pipes or the process could not be made.
bool StartPiped(const std::vector<std::string>& argv, PipedChild& child);
// Waits for the child; its exit status, or -1 when it did not exit normally.
int WaitForExit(pid_t pid);

}  // namespace endcap::testing
