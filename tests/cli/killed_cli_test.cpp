// endcap-cli killed while it holds a pseudo-terminal as its port, however it is killed: the
// port must not stay locked against the next user who is not root.

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/integration/pty_pair.h"

extern char** environ;

namespace endcap {
namespace {

using integration::PtyPair;

pid_t StartCli(const std::vector<std::string>& args) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd : {0, 1, 2}) posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// Opens and locks path as a user who is not root (nobody, when the test runs as root), as the
// station does; "" when that worked, else why not.
std::string OpenAsAnotherUser(const std::string& path) {
  const passwd* nobody = geteuid() == 0 ? getpwnam("nobody") : nullptr;
  if (geteuid() == 0 && !nobody) return "skip";
  const uid_t uid = nobody ? nobody->pw_uid : 0;
  const gid_t gid = nobody ? nobody->pw_gid : 0;
  const pid_t child = fork();
  if (child < 0) return std::strerror(errno);
  if (child == 0) {
    if (nobody && (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)) _exit(250);
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) _exit(errno);
    _exit(flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : 251);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return "the opener did not finish";
  const int code = WEXITSTATUS(status);
  if (code == 0) return "";
  if (code == 250) return "skip";
  if (code == 251) return "still locked";
  return std::strerror(code);
}

TEST(KilledCli, APortHeldByAKilledCommandOpensForTheNextUser) {
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok()) << pty.error();
    ASSERT_EQ(chmod(pty.slavePath().c_str(), 0666), 0) << std::strerror(errno);
    const pid_t cli = StartCli({ENDCAP_CLI, "--device", pty.slavePath(), "registers", "read", "2", "3"});
    ASSERT_GT(cli, 0);
    // The request on the line: the command holds the port and waits for the reply.
    const integration::Received request = integration::ReadFromStation(pty.master(), 8, 10000);
    EXPECT_EQ(request.bytes.size(), 8u) << "signal " << signalNumber;
    kill(cli, signalNumber);
    int status = 0;
    ASSERT_EQ(waitpid(cli, &status, 0), cli);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << "signal " << signalNumber << ", status " << status;
    const std::string refused = OpenAsAnotherUser(pty.slavePath());
    if (refused == "skip") GTEST_SKIP() << "no user other than root to open the port as";
    EXPECT_EQ(refused, "") << "after signal " << signalNumber;
  }
}

}  // namespace
}  // namespace endcap
