#pragma once
// The simulated bench that --simulate puts on COM1: endcap-unit-sim --bench as a child process,
// a separate machine as the real bench is, so that the station's blocking exchanges never hold
// up its window. The station opens it through a link in a private folder, which follows the
// pseudo-terminal when the bench unplugs and replugs the line. The child is told to end with
// the station: when the station stops it, and by the kernel when the station dies.

#include <sys/types.h>

#include <optional>
#include <string>
#include <utility>

namespace endcap {

class BenchProcess {
public:
  // How long the simulator may take to show its window and put the unit on the line.
  static constexpr int kReadyTimeoutMs = 30000;

  BenchProcess() = default;
  // Stops the child and removes the link with its folder.
  ~BenchProcess();
  BenchProcess(const BenchProcess&) = delete;
  BenchProcess& operator=(const BenchProcess&) = delete;

  // Runs program with --bench (at topLeft when given) and waits for its ready line. False with
  // the reason in error, the child then stopped.
  bool Start(const std::string& program, std::optional<std::pair<int, int>> topLeft, std::string& error);
  // SIGTERM, then SIGKILL when it has not ended within a few seconds. Safe to call more than once.
  void Stop();

  // What the station opens as COM1.
  const std::string& devicePath() const { return link_; }
  pid_t pid() const { return pid_; }

private:
  bool WaitForReadyLine(int fd, std::string& error);

  std::string folder_;
  std::string link_;
  pid_t pid_ = -1;
};

// endcap-unit-sim in the folder of the running program.
std::string SimulatorBesideThisProgram();

}  // namespace endcap
