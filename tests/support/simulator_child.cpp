#include "tests/support/simulator_child.h"

namespace endcap::testing {

bool SimulatorChild::Start(const std::vector<std::string>& argv, int readyMs) {
  if (!process_.Start(argv)) {
    why_ = "cannot start the simulator: " + process_.error();
    return false;
  }
  const auto path = process_.ReadLine(readyMs);
  if (!path || path->empty()) {
    why_ = argv[0] + " printed no device path";
    return false;
  }
  device_ = *path;
  return true;
}

std::string SimulatorChild::Control(const std::string& command, int answerMs) {
  if (!process_.Send(command + "\n")) return "(no answer)";
  return process_.ReadLine(answerMs).value_or("(no answer)");
}

}  // namespace endcap::testing
