#include "tests/integration/pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace endcap::integration {

double MsBetween(Steady::time_point a, Steady::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

PtyPair::PtyPair() {
  const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    error_ = std::string("posix_openpt: ") + std::strerror(errno);
    return;
  }
  // Raw before anyone opens the slave, so that nothing the test sends is echoed or edited as
  // terminal input; on Linux the master's attributes are the slave's line settings.
  termios tio{};
  char name[128] = {};
  if (::grantpt(fd) != 0 || ::unlockpt(fd) != 0 || ::ptsname_r(fd, name, sizeof name) != 0 ||
      ::tcgetattr(fd, &tio) != 0) {
    error_ = std::string("pseudo-terminal setup: ") + std::strerror(errno);
    ::close(fd);
    return;
  }
  ::cfmakeraw(&tio);
  if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
    error_ = std::string("tcsetattr: ") + std::strerror(errno);
    ::close(fd);
    return;
  }
  master_ = fd;
  slavePath_ = name;
}

PtyPair::~PtyPair() { CloseMaster(); }

void PtyPair::CloseMaster() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

Received ReadFromStation(int master, size_t count, int deadlineMs) {
  Received got;
  const auto deadline = Steady::now() + std::chrono::milliseconds(deadlineMs);
  while (got.bytes.size() < count) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now()).count();
    if (left <= 0) break;
    pollfd p{master, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    if (!(p.revents & POLLIN)) {
      // The station has not opened the slave yet (or has closed it): wait for it, briefly.
      ::usleep(1000);
      continue;
    }
    uint8_t chunk[512];
    const size_t want = count - got.bytes.size() < sizeof chunk ? count - got.bytes.size() : sizeof chunk;
    const ssize_t n = ::read(master, chunk, want);
    if (n <= 0) {
      if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EIO)) {
        ::usleep(1000);
        continue;
      }
      break;
    }
    const auto now = Steady::now();
    if (got.bytes.empty()) got.first = now;
    got.last = now;
    got.bytes.insert(got.bytes.end(), chunk, chunk + n);
  }
  return got;
}

Steady::time_point WriteToStation(int master, const std::vector<uint8_t>& bytes) {
  const auto sent = Steady::now();
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(master, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return sent;
}

Steady::time_point WriteToStation(int master, const std::string& text) {
  return WriteToStation(master, std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace endcap::integration
