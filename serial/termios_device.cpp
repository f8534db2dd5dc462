#include "serial/termios_device.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "serial/close_on_signal.h"

namespace endcap {

namespace {

std::string Reason(const std::string& path, int err) { return path + ": " + std::strerror(err); }

speed_t SpeedOf(int baud) {
  switch (baud) {
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B0;
  }
}

// Pseudo-terminal slaves: Unix 98 ones (majors 136-143) and the old BSD kind (major 3).
bool IsPseudoTerminal(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
  const unsigned kind = major(st.st_rdev);
  return kind == 3 || (kind >= 136 && kind <= 143);
}

}  // namespace

std::unique_ptr<TermiosDevice> TermiosDevice::Open(const std::string& path, SerialError& error) {
  // After a stop signal nothing more is done to the unit (see close_on_signal.h).
  if (const int stop = NotedStopSignal()) {
    error = {SerialErrorCode::NotOpened, path + ": stopped by " + StopSignalName(stop)};
    return nullptr;
  }
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int err = errno;
    error = {err == EBUSY ? SerialErrorCode::Busy : SerialErrorCode::NotOpened, Reason(path, err)};
    return nullptr;
  }
  std::unique_ptr<TermiosDevice> device(new TermiosDevice(fd, path));
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    error = {err == EWOULDBLOCK ? SerialErrorCode::Busy : SerialErrorCode::NotOpened,
             err == EWOULDBLOCK ? path + ": in use by another program" : Reason(path, err)};
    return nullptr;
  }
  // On a pseudo-terminal exclusive mode outlives the last close while the master stays open,
  // so a program that dies holding it would lock out every later non-root opener. The lock
  // alone holds such a port: the kernel releases it with the process, however it ends.
  if (!IsPseudoTerminal(fd)) {
    if (::ioctl(fd, TIOCEXCL) != 0) {
      error = {SerialErrorCode::SettingsFailed, Reason(path, errno)};
      return nullptr;
    }
    device->exclusive_ = true;
  }
  HoldPortUntilSignal(fd, device->exclusive_);
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) {
    error = {SerialErrorCode::SettingsFailed, Reason(path, errno)};
    return nullptr;
  }
  ::cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  ::cfsetispeed(&tio, B9600);
  ::cfsetospeed(&tio, B9600);
  if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
    error = {SerialErrorCode::SettingsFailed, Reason(path, errno)};
    return nullptr;
  }
  // DTR and RTS on. A pseudo-terminal has no modem lines and refuses this; that is harmless.
  int lines = TIOCM_DTR | TIOCM_RTS;
  (void)::ioctl(fd, TIOCMBIS, &lines);
  return device;
}

TermiosDevice::~TermiosDevice() {
  if (fd_ < 0) return;
  ReleasePortHeldUntilSignal(fd_);
  if (exclusive_) (void)::ioctl(fd_, TIOCNXCL);
  ::close(fd_);
}

ReadStatus TermiosDevice::ReadByte(uint8_t& byte, int waitMs) {
  if (NotedStopSignal()) return ReadStatus::HungUp;
  pollfd p{fd_, POLLIN, 0};
  const int ready = ::poll(&p, 1, waitMs < 0 ? 0 : waitMs);
  if (ready < 0) return ReadStatus::None;  // EINTR and the like: a read that brought nothing
  if (ready == 0) return ReadStatus::None;
  if (p.revents & POLLIN) {
    const ssize_t n = ::read(fd_, &byte, 1);
    if (n == 1) return ReadStatus::Byte;
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return ReadStatus::None;
    return ReadStatus::HungUp;  // EIO, or end of file on a vanished device
  }
  if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) return ReadStatus::HungUp;
  return ReadStatus::None;
}

bool TermiosDevice::Write(const uint8_t* data, size_t size) {
  if (NotedStopSignal()) return false;
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd_, data + done, size - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      pollfd p{fd_, POLLOUT, 0};
      if (::poll(&p, 1, 100) > 0 && !(p.revents & (POLLERR | POLLHUP))) continue;
    }
    return false;
  }
  return true;
}

void TermiosDevice::Purge() { ::tcflush(fd_, TCIOFLUSH); }

bool TermiosDevice::SetBaudRate(int baud) {
  const speed_t speed = SpeedOf(baud);
  if (speed == B0) return false;
  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) return false;
  ::cfsetispeed(&tio, speed);
  ::cfsetospeed(&tio, speed);
  return ::tcsetattr(fd_, TCSANOW, &tio) == 0;
}

std::unique_ptr<SerialDevice> TermiosPortProvider::OpenPort(int portNumber, SerialError& error) {
  const std::string path = map_.PathOf(portNumber);
  if (path.empty()) {
    error = {SerialErrorCode::IllegalPortNumber, "COM" + std::to_string(portNumber) + ": no device mapped"};
    return nullptr;
  }
  return TermiosDevice::Open(path, error);
}

}  // namespace endcap
