#include "tests/cli/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace endcap::testing {

namespace {

void CloseFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

}  // namespace

bool StartPiped(const std::vector<std::string>& argv, PipedChild& child) {
  int in[2], out[2], err[2];
  if (pipe2(in, O_CLOEXEC) != 0) return false;
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return false;
  const pid_t pid = fork();
  if (pid < 0) return false;
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
  child = {pid, in[1], out[0], err[0]};
  return true;
}

int WaitForExit(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& input) {
  ProgramResult result;
  PipedChild child;
  if (!StartPiped(argv, child)) return result;
  int toChild = child.in, fromOut = child.out, fromErr = child.err;
  size_t written = 0;
  if (input.empty())
    CloseFd(toChild);
  else
    fcntl(toChild, F_SETFL, O_NONBLOCK);
  while (fromOut >= 0 || fromErr >= 0) {
    pollfd fds[3] = {{fromOut, POLLIN, 0}, {fromErr, POLLIN, 0}, {toChild, POLLOUT, 0}};
    if (poll(fds, 3, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    char buffer[4096];
    int* readers[2] = {&fromOut, &fromErr};
    std::string* sinks[2] = {&result.out, &result.err};
    for (int i = 0; i < 2; ++i) {
      if (*readers[i] < 0 || fds[i].revents == 0) continue;
      const ssize_t n = read(*readers[i], buffer, sizeof buffer);
      if (n > 0)
        sinks[i]->append(buffer, static_cast<size_t>(n));
      else
        CloseFd(*readers[i]);
    }
    if (toChild >= 0 && fds[2].revents != 0) {
      const ssize_t n = write(toChild, input.data() + written, input.size() - written);
      if (n > 0) written += static_cast<size_t>(n);
      if (n < 0 || written == input.size()) CloseFd(toChild);
    }
  }
  CloseFd(toChild);
  result.exitStatus = WaitForExit(child.pid);
  return result;
}

}  // namespace endcap::testing
