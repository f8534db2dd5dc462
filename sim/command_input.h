#pragma once
// The simulator's commands from a file descriptor (standard input), one a line, each answered
// with one line on another (standard output). Whoever owns the event loop calls ReadAvailable
// when the input is readable: the plain simulator's poll loop, or the bench window's.

#include <functional>
#include <string>

#include "sim/control_lines.h"
#include "sim/line_control.h"
#include "sim/simulated_unit.h"

namespace endcap::sim {

class CommandInput {
public:
  // Told about every command run and its answer, after the answer went out.
  using Observer = std::function<void(const std::string& command, const std::string& answer)>;

  CommandInput(SimulatedUnit& unit, LineControl* line, int inputFd, int outputFd);

  void SetObserver(Observer observer) { observer_ = std::move(observer); }
  int inputFd() const { return inputFd_; }
  bool open() const { return open_; }

  // One read: runs every whole line that it completes; at the end of the input, also the
  // unfinished last line. False once the input has ended.
  bool ReadAvailable();

private:
  void Run(const std::string& command);

  SimulatedUnit& unit_;
  LineControl* line_;
  int inputFd_;
  int outputFd_;
  bool open_ = true;
  ControlLines lines_;
  Observer observer_;
};

}  // namespace endcap::sim
