#pragma once
// A helper program run beside a test or benchmark (the simulated unit, an independent Modbus
// slave) with its stdin and stdout on pipes. Its stdout is read line by line with a time-out,
// so callers wait for the program's ready line instead of sleeping. It is stopped with its
// stdin closed and SIGTERM, and killed when it does not end soon after.

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace endcap::testing {

class ChildProcess {
public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // argv[0] is the program's path. False (with error()) when it could not be started.
  bool Start(const std::vector<std::string>& argv);
  // The next line of its stdout without the line feed; nothing when none came within
  // timeoutMs or the program closed its stdout.
  std::optional<std::string> ReadLine(int timeoutMs);
  // Sends text to its stdin.
  bool Send(const std::string& text);
  // Closes its stdin, sends SIGTERM, waits up to graceMs for it to end, kills it otherwise.
  // Returns the status as waitpid gives it, or -1 when it was not running.
  int Stop(int graceMs = 2000);

  bool running() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  const std::string& error() const { return error_; }

private:
  pid_t pid_ = -1;
  int toChild_ = -1;
  int fromChild_ = -1;
  std::string pending_;
  std::string error_;
};

}  // namespace endcap::testing
