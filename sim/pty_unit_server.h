#pragma once
// A simulated unit behind a pseudo-terminal, served on a thread of its own: the station opens
// the slave side as it would a serial port. A pty has no line rate, so the server gives the
// line its timing: each answer starts the request's own transmission time at 9600 baud plus a
// turnaround after the request came in, and goes out one byte every 1.04 ms. A request is
// taken as ended at its known length or at 3.5 character times of silence.
//
// While no program holds the slave side open, bytes for it are dropped, as on a line with
// nothing plugged in. HangUp closes the master, so the station's reads see the device gone
// (POLLHUP, EIO); Replug opens a new pty and, with a link path, points the link at it.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "sim/line_control.h"
#include "sim/simulated_unit.h"

namespace endcap::sim {

class PtyUnitServer : public LineControl {
public:
  // linkPath: a symbolic link kept pointing at the current slave device; empty for none.
  explicit PtyUnitServer(SimulatedUnit& unit, std::string linkPath = {});
  ~PtyUnitServer() override;
  PtyUnitServer(const PtyUnitServer&) = delete;
  PtyUnitServer& operator=(const PtyUnitServer&) = delete;

  // Opens the pty and starts serving; returns the slave path, or empty with lastError() set.
  std::string Start();
  // Stops the thread, closes the pty and removes the link. Safe to call more than once.
  void Stop();

  void HangUp() override;
  bool Replug(std::string& detail) override;

  std::string slavePath() const;
  std::string lastError() const;

private:
  using Steady = std::chrono::steady_clock;
  struct Pending {
    Steady::time_point due;
    uint8_t byte;
  };

  // Loop thread, or before it starts and after it ends.
  bool OpenPty();
  void ClosePty();
  bool PointLink(const std::string& target);
  void Serve();
  void WriteDue(Steady::time_point now);
  void Schedule(const ReplyPlan& plan, Steady::time_point arrival);
  void RunTasks();
  // Runs task on the loop thread and waits for it; directly when the loop is not running.
  void RunOnLoop(const std::function<void()>& task);
  void Fail(const std::string& what);

  SimulatedUnit& unit_;
  const std::string linkPath_;
  int masterFd_ = -1;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  std::deque<Pending> out_;
  std::thread thread_;
  bool stopping_ = false;  // under tasksMutex_
  bool serving_ = false;   // under tasksMutex_: the loop takes tasks

  mutable std::mutex stateMutex_;  // slavePath_, lastError_
  std::string slavePath_;
  std::string lastError_;

  std::mutex tasksMutex_;
  std::condition_variable tasksDone_;
  std::deque<std::function<void()>> tasks_;
  uint64_t tasksQueued_ = 0;
  uint64_t tasksRun_ = 0;
};

}  // namespace endcap::sim
