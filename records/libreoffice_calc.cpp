#include "records/libreoffice_calc.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "serial/beside_this_program.h"

extern char** environ;

namespace endcap {

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr const char* kBridgeName = "endcap-calc-bridge";

}  // namespace

std::string LibreOfficeCalc::BridgePath() const {
  return options_.bridge.empty() ? HelperPath(kBridgeName) : options_.bridge;
}

bool LibreOfficeCalc::Spawn() {
  const std::string bridge = BridgePath();
  if (::access(bridge.c_str(), R_OK) != 0) {
    error_ = "cannot read " + bridge + ": " + std::strerror(errno);
    return false;
  }
  // A socket rather than pipes, so that a bridge that died cannot kill the station with
  // SIGPIPE: sends use MSG_NOSIGNAL.
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
    error_ = std::string("socketpair: ") + std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, ends[1], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // Its own process group, which LibreOffice joins, so that a time-out can end them together.
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  std::vector<std::string> args = {options_.python, bridge};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const int rc = ::posix_spawn(&pid_, options_.python.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(ends[1]);
  if (rc != 0) {
    ::close(ends[0]);
    pid_ = -1;
    error_ = "cannot run " + options_.python + ": " + std::strerror(rc);
    return false;
  }
  socket_ = ends[0];
  pending_.clear();
  return true;
}

bool LibreOfficeCalc::Request(const std::string& request, int timeoutSeconds) {
  if (pid_ <= 0) {
    error_ = "LibreOffice is not running";
    return false;
  }
  const std::string line = request + "\n";
  for (size_t sent = 0; sent < line.size();) {
    const ssize_t n = ::send(socket_, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = "the LibreOffice bridge has ended";
      Kill();
      return false;
    }
    sent += static_cast<size_t>(n);
  }
  const auto deadline = SteadyClock::now() + std::chrono::seconds(timeoutSeconds);
  size_t end;
  while ((end = pending_.find('\n')) == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
    if (left <= 0) {
      error_ = "LibreOffice did not answer within " + std::to_string(timeoutSeconds) + " s";
      Kill();
      return false;
    }
    pollfd ready{socket_, POLLIN, 0};
    const int polled = ::poll(&ready, 1, static_cast<int>(left));
    if (polled < 0 && errno != EINTR) {
      error_ = std::string("poll: ") + std::strerror(errno);
      Kill();
      return false;
    }
    if (polled <= 0) continue;
    char buffer[1024];
    const ssize_t n = ::read(socket_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = "the LibreOffice bridge has ended";
      Kill();
      return false;
    }
    pending_.append(buffer, static_cast<size_t>(n));
  }
  const std::string answer = pending_.substr(0, end);
  pending_.erase(0, end + 1);
  value_.clear();
  if (answer == "ok") return true;
  if (answer.compare(0, 3, "ok\t") == 0) {
    value_ = answer.substr(3);
    return true;
  }
  error_ = answer.compare(0, 6, "error\t") == 0 ? answer.substr(6) : "unexpected answer: " + answer;
  return false;
}

bool LibreOfficeCalc::Start() {
  Release();
  error_.clear();
  ownLocks_.clear();
  if (!Spawn()) return false;
  return Request("start\t" + options_.office + "\t" + options_.profile + "\t" + (options_.headless ? "1" : "0"),
                 options_.startSeconds);
}

bool LibreOfficeCalc::OpenWorkbook(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string lock = path.substr(0, slash + 1) + ".~lock." + path.substr(slash + 1) + "#";
  if (::access(lock.c_str(), F_OK) != 0) ownLocks_.push_back(lock);
  return Request("open\t" + path, options_.openSeconds);
}

bool LibreOfficeCalc::RunAutoMacros() { return Request("run-auto-macros", options_.macroSeconds); }

bool LibreOfficeCalc::ExportPdf(const std::string& path) {
  return Request("export-pdf\t" + path, options_.exportSeconds);
}

bool LibreOfficeCalc::SetVisible(bool visible) {
  return Request(std::string("visible\t") + (visible ? "1" : "0"), options_.callSeconds);
}

bool LibreOfficeCalc::SetUserControl(bool userControl) {
  return Request(std::string("user-control\t") + (userControl ? "1" : "0"), options_.callSeconds);
}

bool LibreOfficeCalc::WorkbookSaved(bool& saved) {
  if (!Request("saved", options_.callSeconds)) return false;
  saved = value_ == "1";
  return true;
}

bool LibreOfficeCalc::CloseWorkbooks() { return Request("close-workbooks", options_.callSeconds); }

bool LibreOfficeCalc::Quit() { return Request("quit", options_.callSeconds); }

void LibreOfficeCalc::Release() {
  if (pid_ <= 0) return;
  // The end of its input tells the bridge to let go: it ends a LibreOffice that it started
  // and that was not handed to the user.
  ::shutdown(socket_, SHUT_WR);
  const auto deadline = SteadyClock::now() + std::chrono::seconds(options_.releaseSeconds);
  while (SteadyClock::now() < deadline) {
    int status = 0;
    const pid_t done = ::waitpid(pid_, &status, WNOHANG);
    if (done == pid_ || (done < 0 && errno != EINTR)) {
      pid_ = -1;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  Kill();
}

void LibreOfficeCalc::Kill() {
  if (pid_ > 0) {
    ::kill(-pid_, SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    // A lock left behind would have the next launch find the template in use.
    for (const std::string& lock : ownLocks_) ::unlink(lock.c_str());
    ownLocks_.clear();
  }
  if (socket_ >= 0) ::close(socket_);
  socket_ = -1;
  pending_.clear();
}

}  // namespace endcap
