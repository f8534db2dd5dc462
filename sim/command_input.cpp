#include "sim/command_input.h"

#include <unistd.h>

#include <cerrno>

#include "sim/control_commands.h"

namespace endcap::sim {

CommandInput::CommandInput(SimulatedUnit& unit, LineControl* line, int inputFd, int outputFd)
    : unit_(unit), line_(line), inputFd_(inputFd), outputFd_(outputFd) {}

bool CommandInput::ReadAvailable() {
  if (!open_) return false;
  const auto run = [this](const std::string& command) { Run(command); };
  char chunk[4096];
  const ssize_t n = ::read(inputFd_, chunk, sizeof chunk);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
  if (n > 0) {
    lines_.Feed(chunk, static_cast<size_t>(n), run);
    return true;
  }
  open_ = false;
  lines_.Finish(run);
  return false;
}

void CommandInput::Run(const std::string& command) {
  const std::string answer = ExecuteCommand(unit_, line_, command) + "\n";
  // A reader that went away loses the answer; the command has been carried out all the same.
  for (size_t done = 0; done < answer.size();) {
    const ssize_t n = ::write(outputFd_, answer.data() + done, answer.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  if (observer_) observer_(command, answer.substr(0, answer.size() - 1));
}

}  // namespace endcap::sim
