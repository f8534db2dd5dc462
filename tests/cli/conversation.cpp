#include "tests/cli/conversation.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace endcap::testing {

ProgramResult Converse(const std::vector<std::string>& argv, const Responder& respond, int silenceTimeoutMs) {
  ProgramResult result;
  int in[2], out[2], err[2];
  if (pipe2(in, O_CLOEXEC) != 0) return result;
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return result;
  const pid_t pid = fork();
  if (pid < 0) return result;
  if (pid == 0) {
    dup2(in[0], STDIN_FILENO);
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  signal(SIGPIPE, SIG_IGN);
  int readers[2] = {out[0], err[0]};
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
        if (!typed.empty() && write(in[1], typed.data(), typed.size()) < 0) break;
      }
    }
  }
  close(in[1]);
  for (int fd : readers)
    if (fd >= 0) close(fd);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.exitStatus = !killed && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace endcap::testing
