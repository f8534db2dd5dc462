#include "serial/close_on_signal.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <initializer_list>

namespace endcap {

namespace {

// A station holds one port; the chooser probes briefly open a few more. A fixed table of
// lock-free slots is what a signal handler may read.
constexpr int kSlots = 16;
struct Slot {
  std::atomic<int> fd{-1};
  std::atomic<bool> exclusive{false};
};
Slot slots[kSlots];

std::atomic<bool> holding{false};
std::atomic<int> noted{0};

void OnStopSignal(int signalNumber) {
  if (NoteStopSignal(signalNumber)) {
    // The operator's answers end here: a question waiting on standard input, and every one
    // after it, sees the end of input and takes its safe answer.
    const int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (null >= 0) {
      ::dup2(null, STDIN_FILENO);
      ::close(null);
    }
    return;
  }
  for (Slot& slot : slots) {
    const int fd = slot.fd.exchange(-1);
    if (fd < 0) continue;
    if (slot.exclusive.load()) (void)::ioctl(fd, TIOCNXCL);
    ::close(fd);
  }
  // The handler was installed with SA_RESETHAND: the signal raised again ends the program
  // once this handler returns.
  ::raise(signalNumber);
}

}  // namespace

void CloseSerialPortsOnSignals() {
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction current {};
    if (::sigaction(signalNumber, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    (void)::sigaction(signalNumber, &action, nullptr);
  }
}

StopSignalHold::StopSignalHold() { holding.store(true); }
StopSignalHold::~StopSignalHold() { holding.store(false); }

bool NoteStopSignal(int signalNumber) {
  int none = 0;
  noted.compare_exchange_strong(none, signalNumber);
  return holding.load();
}

int NotedStopSignal() { return noted.load(); }

const char* StopSignalName(int signalNumber) {
  switch (signalNumber) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "a signal";
  }
}

void HoldPortUntilSignal(int fd, bool exclusive) {
  for (Slot& slot : slots) {
    int expected = -1;
    if (slot.fd.load() != -1) continue;
    slot.exclusive.store(exclusive);
    if (slot.fd.compare_exchange_strong(expected, fd)) return;
  }
}

void ReleasePortHeldUntilSignal(int fd) {
  for (Slot& slot : slots) {
    int expected = fd;
    if (slot.fd.compare_exchange_strong(expected, -1)) return;
  }
}

}  // namespace endcap
