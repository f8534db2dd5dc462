#include "console/bench_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "serial/beside_this_program.h"

namespace endcap {

namespace {

// A board that has been through the factory: serials set, both sensors fitted and enabled.
constexpr const char* kBoardSerial = "123456-001";
constexpr const char* kUnitSerial = "123456-007";
constexpr int kStopGraceMs = 3000;

std::string MakePrivateFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/endcap-station-XXXXXX";
  return ::mkdtemp(pattern.data()) ? pattern : std::string();
}

std::string ExitText(int status) {
  if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return std::string("signal ") + strsignal(WTERMSIG(status));
  return "status " + std::to_string(status);
}

// Between fork and exec only async-signal-safe calls.
[[noreturn]] void RunChild(pid_t station, int in, int out, const std::vector<char*>& argv) {
  // The kernel stops the child when the station ends, however it ends; a station that ended
  // before this line is caught by the parent check.
  ::prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (::getppid() != station) ::_exit(127);
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::dup2(in, STDIN_FILENO);
  ::dup2(out, STDOUT_FILENO);
  ::close_range(3, ~0u, 0);
  ::execv(argv[0], argv.data());
  const char* reason = std::strerror(errno);
  const char prefix[] = "endcap-station: cannot run the simulator: ";
  [[maybe_unused]] ssize_t ignored = ::write(STDERR_FILENO, prefix, sizeof prefix - 1);
  ignored = ::write(STDERR_FILENO, reason, std::strlen(reason));
  ignored = ::write(STDERR_FILENO, "\n", 1);
  ::_exit(127);
}

}  // namespace

std::string SimulatorBesideThisProgram() { return BesideThisProgram("endcap-unit-sim"); }

BenchProcess::~BenchProcess() { Stop(); }

bool BenchProcess::Start(const std::string& program, std::optional<std::pair<int, int>> topLeft,
                         std::string& error) {
  if (::access(program.c_str(), X_OK) != 0) {
    error = program + ": " + std::strerror(errno);
    return false;
  }
  folder_ = MakePrivateFolder();
  if (folder_.empty()) {
    error = std::string("no folder for the simulated line's link: ") + std::strerror(errno);
    return false;
  }
  link_ = folder_ + "/COM1";
  std::vector<std::string> args{program, "--bench", "--link", link_, "--board-serial", kBoardSerial,
                                "--unit-serial", kUnitSerial};
  if (topLeft) {
    args.push_back("--bench-at");
    args.push_back(std::to_string(topLeft->first) + "," + std::to_string(topLeft->second));
  }
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  // Standard input stays empty: the bench takes its commands in its own window.
  const int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  int out[2];
  if (in < 0 || ::pipe2(out, O_CLOEXEC) != 0) {
    error = std::string("cannot make the simulator's pipes: ") + std::strerror(errno);
    if (in >= 0) ::close(in);
    return false;
  }
  const pid_t station = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) RunChild(station, in, out[1], argv);
  ::close(in);
  ::close(out[1]);
  if (pid < 0) {
    error = std::string("cannot start the simulator: ") + std::strerror(errno);
    ::close(out[0]);
    return false;
  }
  pid_ = pid;
  endWatch_ = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (endWatch_ < 0) endWatchError_ = std::strerror(errno);
  const bool ready = WaitForReadyLine(out[0], error);
  // Nothing more is read from it: its standard input stays empty, so it never answers.
  ::close(out[0]);
  if (!ready) Stop();
  return ready;
}

bool BenchProcess::WaitForReadyLine(int fd, std::string& error) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReadyTimeoutMs);
  std::string line;
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) {
      error = "the simulator did not put the unit on the line within " + std::to_string(kReadyTimeoutMs / 1000) +
              " s";
      return false;
    }
    pollfd p{fd, POLLIN, 0};
    const int polled = ::poll(&p, 1, static_cast<int>(left));
    if (polled < 0 && errno == EINTR) continue;
    if (polled < 0) {
      error = std::string("waiting for the simulator: ") + std::strerror(errno);
      return false;
    }
    if (polled == 0) continue;
    char chunk[256];
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      int status = 0;
      const bool ended = ::waitpid(pid_, &status, 0) == pid_;
      if (ended) pid_ = -1;
      error = "the simulator ended before it was ready" + (ended ? " (" + ExitText(status) + ")" : std::string());
      return false;
    }
    line.append(chunk, static_cast<size_t>(n));
    if (line.find('\n') != std::string::npos) return true;
  }
}

bool BenchProcess::ReapIfEnded(std::string& how) {
  if (pid_ <= 0) return false;
  int status = 0;
  const pid_t done = ::waitpid(pid_, &status, WNOHANG);
  if (done == 0) return false;
  // Not ours to wait for any more (another waiter took it): ended all the same.
  how = done == pid_ ? ExitText(status) : std::string("status lost: ") + std::strerror(errno);
  pid_ = -1;
  return true;
}

std::string BenchEndedText(const std::string& how) {
  return "The simulated bench has ended (" + how + ")\r\nThe simulated unit on COM1 is gone until the station starts again";
}

void BenchProcess::Stop() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStopGraceMs);
    pid_t done = 0;
    while ((done = ::waitpid(pid_, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
      ::usleep(10000);
    if (done == 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
    }
    pid_ = -1;
  }
  if (endWatch_ >= 0) ::close(endWatch_);
  endWatch_ = -1;
  // The simulator removes its link as it stops; one that was killed leaves it behind.
  if (!link_.empty()) ::unlink(link_.c_str());
  if (!folder_.empty()) ::rmdir(folder_.c_str());
  link_.clear();
  folder_.clear();
}

}  // namespace endcap
