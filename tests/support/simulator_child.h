#pragma once
// The standalone simulated unit (endcap-unit-sim) as a child process: ready once it has printed
// the path of its pseudo-terminal, then moved through its control commands on its stdin.

#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace endcap::testing {

class SimulatorChild {
public:
  // argv[0] is the simulator's path. False, with why(), when it did not start or printed no
  // device path within readyMs.
  bool Start(const std::vector<std::string>& argv, int readyMs);
  // A control command and the simulator's one-line answer; "(no answer)" when none came within
  // answerMs.
  std::string Control(const std::string& command, int answerMs);
  // It keeps nothing, so it is stopped at once.
  void Stop() { process_.Stop(0); }

  const std::string& device() const { return device_; }
  const std::string& why() const { return why_; }

private:
  ChildProcess process_;
  std::string device_;
  std::string why_;
};

}  // namespace endcap::testing
