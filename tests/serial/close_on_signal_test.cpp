// A program stopped by a signal clears the exclusive mode of the ports it holds before it
// ends; a pseudo-terminal would otherwise keep it after the program is gone.

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "serial/close_on_signal.h"

namespace endcap {
namespace {

// Whether the terminal at path is in exclusive mode; -1 when that cannot be found out.
int ExclusiveMode(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == EBUSY ? 1 : -1;
  int exclusive = -1;
  if (::ioctl(fd, TIOCGEXCL, &exclusive) != 0) exclusive = -1;
  ::close(fd);
  return exclusive;
}

TEST(CloseOnSignal, TheStopSignalsClearExclusiveModeAndEndTheProgramByTheSignal) {
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0) << std::strerror(errno);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string slave = ::ptsname(master);
    int ready[2];
    ASSERT_EQ(::pipe2(ready, O_CLOEXEC), 0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const int fd = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
      if (fd < 0 || ::ioctl(fd, TIOCEXCL) != 0) ::_exit(3);
      HoldPortUntilSignal(fd, true);
      CloseSerialPortsOnSignals();
      const char byte = 1;
      if (::write(ready[1], &byte, 1) != 1) ::_exit(4);
      for (;;) ::pause();
    }
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1) << "the child did not get the port";
    ::close(ready[0]);
    ASSERT_EQ(ExclusiveMode(slave), 1) << "exclusive mode was not set";
    ::kill(child, signalNumber);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << signalNumber << ", status " << status;
    EXPECT_EQ(ExclusiveMode(slave), 0) << "exclusive mode outlived the program, signal " << signalNumber;
    ::close(master);
  }
}

// While held, a stop signal is noted and the program goes on; a question waiting on standard
// input sees the end of its answers.
TEST(CloseOnSignal, AHeldStopSignalIsNotedAndEndsTheAnswers) {
  int input[2];
  ASSERT_EQ(::pipe(input), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::dup2(input[0], STDIN_FILENO);
    CloseSerialPortsOnSignals();
    char byte = 0;
    {
      const StopSignalHold hold;
      ::raise(SIGTERM);
      // The pipe's writer is still open: without the signal this read would wait.
      if (NotedStopSignal() != SIGTERM || ::read(STDIN_FILENO, &byte, 1) != 0) ::_exit(1);
    }
    ::_exit(2);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ::close(input[0]);
  ::close(input[1]);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << "status " << status;
}

TEST(CloseOnSignal, AnIgnoredSignalStaysIgnored) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGHUP, SIG_IGN);
    CloseSerialPortsOnSignals();
    struct sigaction now {};
    ::sigaction(SIGHUP, nullptr, &now);
    ::_exit(now.sa_handler == SIG_IGN ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace endcap
