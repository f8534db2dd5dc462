#include "tests/cli/conversation.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace endcap::testing {

ProgramResult Converse(const std::vector<std::string>& argv, const Responder& respond, int silenceTimeoutMs,
                       pid_t* childPid) {
  ProgramResult result;
  PipedChild child;
  if (!StartPiped(argv, child)) return result;
  const pid_t pid = child.pid;
  if (childPid) *childPid = pid;
  int readers[2] = {child.out, child.err};
  std::string* sinks[2] = {&result.out, &result.err};
  bool killed = false;
  while (readers[0] >= 0 || readers[1] >= 0) {
    pollfd fds[2] = {{readers[0], POLLIN, 0}, {readers[1], POLLIN, 0}};
    const int ready = poll(fds, 2, silenceTimeoutMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      kill(pid, SIGKILL);
      killed = true;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (readers[i] < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = read(readers[i], buffer, sizeof buffer);
      if (n <= 0) {
        close(readers[i]);
        readers[i] = -1;
        continue;
      }
      sinks[i]->append(buffer, static_cast<size_t>(n));
      if (i == 1) {
        const std::string typed = respond(result.err);
        if (!typed.empty() && write(child.in, typed.data(), typed.size()) < 0) break;
      }
    }
  }
  close(child.in);
  for (int fd : readers)
    if (fd >= 0) close(fd);
  const int status = WaitForExit(pid);
  result.exitStatus = killed ? -1 : status;
  return result;
}

}  // namespace endcap::testing
