#include "sim/pty_unit_server.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace endcap::sim {

namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

// 3.5 character times end a frame.
constexpr microseconds kFrameSilence{kByteTimeUs * 7 / 2};
// How soon to look again after the station has closed the slave side.
constexpr milliseconds kReopenPoll{10};

std::string Reason(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

PtyUnitServer::PtyUnitServer(SimulatedUnit& unit, std::string linkPath) : unit_(unit), linkPath_(std::move(linkPath)) {}

PtyUnitServer::~PtyUnitServer() { Stop(); }

std::string PtyUnitServer::Start() {
  if (thread_.joinable()) return slavePath();
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
    Fail(Reason("pipe"));
    return {};
  }
  wakeRead_ = pipeFds[0];
  wakeWrite_ = pipeFds[1];
  if (!OpenPty()) {
    ::close(wakeRead_);
    ::close(wakeWrite_);
    wakeRead_ = wakeWrite_ = -1;
    return {};
  }
  {
    std::lock_guard<std::mutex> lock(tasksMutex_);
    stopping_ = false;
    serving_ = true;
  }
  thread_ = std::thread([this] { Serve(); });
  return slavePath();
}

void PtyUnitServer::Stop() {
  if (thread_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(tasksMutex_);
      stopping_ = true;
    }
    const uint8_t wake = 1;
    (void)!::write(wakeWrite_, &wake, 1);
    thread_.join();
    ::close(wakeRead_);
    ::close(wakeWrite_);
    wakeRead_ = wakeWrite_ = -1;
  }
  ClosePty();
  if (!linkPath_.empty()) ::unlink(linkPath_.c_str());
}

void PtyUnitServer::HangUp() {
  RunOnLoop([this] { ClosePty(); });
}

bool PtyUnitServer::Replug(std::string& detail) {
  bool opened = false;
  RunOnLoop([&] {
    ClosePty();
    opened = OpenPty();
  });
  detail = opened ? slavePath() : lastError();
  return opened;
}

std::string PtyUnitServer::slavePath() const {
  std::lock_guard<std::mutex> lock(stateMutex_);
  return slavePath_;
}

std::string PtyUnitServer::lastError() const {
  std::lock_guard<std::mutex> lock(stateMutex_);
  return lastError_;
}

void PtyUnitServer::Fail(const std::string& what) {
  std::lock_guard<std::mutex> lock(stateMutex_);
  lastError_ = what;
}

bool PtyUnitServer::OpenPty() {
  const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    Fail(Reason("posix_openpt"));
    return false;
  }
  // Raw before anyone can open the slave: the default line discipline would echo the
  // station's bytes back to it and translate carriage returns and line feeds.
  termios tio{};
  char name[128];
  bool ok = ::tcgetattr(fd, &tio) == 0;
  if (ok) {
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    ok = ::tcsetattr(fd, TCSANOW, &tio) == 0;
  }
  ok = ok && ::grantpt(fd) == 0 && ::unlockpt(fd) == 0 && ::ptsname_r(fd, name, sizeof name) == 0;
  ok = ok && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) == 0;
  if (!ok) {
    Fail(Reason("pseudo-terminal"));
    ::close(fd);
    return false;
  }
  if (!PointLink(name)) {
    ::close(fd);
    return false;
  }
  masterFd_ = fd;
  std::lock_guard<std::mutex> lock(stateMutex_);
  slavePath_ = name;
  return true;
}

void PtyUnitServer::ClosePty() {
  if (masterFd_ >= 0) ::close(masterFd_);
  masterFd_ = -1;
  out_.clear();
  std::lock_guard<std::mutex> lock(stateMutex_);
  slavePath_.clear();
}

// Replaces the link in one rename, so the station never finds it missing or half made.
bool PtyUnitServer::PointLink(const std::string& target) {
  if (linkPath_.empty()) return true;
  const std::string fresh = linkPath_ + ".new";
  ::unlink(fresh.c_str());
  if (::symlink(target.c_str(), fresh.c_str()) != 0 || ::rename(fresh.c_str(), linkPath_.c_str()) != 0) {
    Fail(Reason(linkPath_.c_str()));
    ::unlink(fresh.c_str());
    return false;
  }
  return true;
}

void PtyUnitServer::RunOnLoop(const std::function<void()>& task) {
  std::unique_lock<std::mutex> lock(tasksMutex_);
  if (!serving_) {
    lock.unlock();
    task();
    return;
  }
  tasks_.push_back(task);
  const uint64_t ticket = ++tasksQueued_;
  const uint8_t wake = 1;
  (void)!::write(wakeWrite_, &wake, 1);
  tasksDone_.wait(lock, [&] { return tasksRun_ >= ticket; });
}

void PtyUnitServer::RunTasks() {
  std::unique_lock<std::mutex> lock(tasksMutex_);
  while (!tasks_.empty()) {
    const std::function<void()> task = std::move(tasks_.front());
    tasks_.pop_front();
    lock.unlock();
    task();
    lock.lock();
    ++tasksRun_;
  }
  tasksDone_.notify_all();
}

void PtyUnitServer::Schedule(const ReplyPlan& plan, Steady::time_point arrival) {
  for (const Transmission& t : plan) {
    Steady::time_point start = arrival + microseconds(t.startUs);
    // One line: a burst waits for the one before it to finish.
    if (!out_.empty() && out_.back().due >= start) start = out_.back().due + microseconds(kByteTimeUs);
    for (size_t i = 0; i < t.bytes.size(); ++i) out_.push_back({start + microseconds(kByteTimeUs * i), t.bytes[i]});
  }
}

void PtyUnitServer::WriteDue(Steady::time_point now) {
  while (!out_.empty() && out_.front().due <= now) {
    // A byte the pty will not take is lost, as a receiver's overrun loses it.
    (void)!::write(masterFd_, &out_.front().byte, 1);
    out_.pop_front();
  }
}

void PtyUnitServer::Serve() {
  Steady::time_point lastInput = Steady::now();
  Steady::time_point retryAt = lastInput;
  bool slaveClosed = false;
  uint8_t buffer[512];
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(tasksMutex_);
      if (stopping_) break;
    }
    Steady::time_point now = Steady::now();
    if (masterFd_ >= 0) WriteDue(now);

    bool haveDeadline = false;
    Steady::time_point deadline;
    const auto consider = [&](Steady::time_point t) {
      if (!haveDeadline || t < deadline) deadline = t;
      haveDeadline = true;
    };
    if (!out_.empty()) consider(out_.front().due);
    if (unit_.ExpectsMore()) consider(lastInput + kFrameSilence);
    if (slaveClosed) consider(retryAt);

    pollfd fds[2] = {{wakeRead_, POLLIN, 0}, {masterFd_, POLLIN, 0}};
    const nfds_t count = masterFd_ >= 0 && !slaveClosed ? 2 : 1;
    timespec wait{};
    if (haveDeadline) {
      const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - now).count();
      wait.tv_sec = left > 0 ? static_cast<time_t>(left / 1000000000) : 0;
      wait.tv_nsec = left > 0 ? static_cast<long>(left % 1000000000) : 0;
    }
    if (::ppoll(fds, count, haveDeadline ? &wait : nullptr, nullptr) < 0 && errno != EINTR) break;

    if (fds[0].revents & POLLIN) {
      uint8_t drain[64];
      while (::read(wakeRead_, drain, sizeof drain) > 0) {
      }
      RunTasks();
      continue;
    }
    now = Steady::now();
    if (count == 2 && fds[1].revents != 0) {
      bool gone = (fds[1].revents & (POLLHUP | POLLERR)) != 0;
      if (fds[1].revents & POLLIN) {
        const ssize_t n = ::read(masterFd_, buffer, sizeof buffer);
        if (n > 0) {
          gone = false;
          lastInput = now;
          Schedule(unit_.OnBytes(buffer, static_cast<size_t>(n)), now);
        } else if (n == 0 || errno != EAGAIN) {
          gone = true;
        }
      }
      if (gone) {
        // Nobody has the slave open (EIO, POLLHUP): look again shortly, as the next open
        // cannot be waited for.
        slaveClosed = true;
        retryAt = now + kReopenPoll;
        out_.clear();
      }
    }
    if (slaveClosed && now >= retryAt) slaveClosed = false;
    if (unit_.ExpectsMore() && now - lastInput >= kFrameSilence) Schedule(unit_.OnSilence(), now);
  }
  {
    std::lock_guard<std::mutex> lock(tasksMutex_);
    serving_ = false;
  }
  RunTasks();
}

}  // namespace endcap::sim
