#pragma once
// The simulated bench that --simulate puts on COM1: endcap-unit-sim --bench as a child process,
// a separate machine as the real bench is, so that the station's blocking exchanges never hold
// up its window. The station opens it through a link in a private folder, which follows the
// pseudo-terminal when the bench unplugs and replugs the line. The child is told to end with
// the station: when the station stops it, and by the kernel when the station dies. A bench
// that ends on its own (crashed, killed) is noticed through a descriptor that the station's
// event loop watches, and reaped.

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

  // Readable once the child has ended (a process descriptor); -1 before Start, after Stop, or
  // when the system gives none (endWatchError says why).
  int endWatch() const { return endWatch_; }
  const std::string& endWatchError() const { return endWatchError_; }
  // When the child has ended: reaps it and gives how it ended ("signal Killed"), once; false
  // while it runs.
  bool ReapIfEnded(std::string& how);

  // What the station opens as COM1.
  const std::string& devicePath() const { return link_; }
  pid_t pid() const { return pid_; }

private:
  bool WaitForReadyLine(int fd, std::string& error);

  std::string folder_;
  std::string link_;
  pid_t pid_ = -1;
  int endWatch_ = -1;
  std::string endWatchError_;
};

// The box the station shows when its bench ended on its own, how as ReapIfEnded gives it.
std::string BenchEndedText(const std::string& how);

// endcap-unit-sim in the folder of the running program.
std::string SimulatorBesideThisProgram();

}  // namespace endcap
