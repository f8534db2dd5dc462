#include "records/append_line.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace endcap {

namespace {

bool Failed(const std::string& path, int error, std::string* reason) {
  if (reason) *reason = path + ": " + std::strerror(error);
  return false;
}

}  // namespace

bool AppendWholeLine(const std::string& path, const std::string& text, std::string* reason) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return Failed(path, errno, reason);
  struct stat before {};
  int error = ::fstat(fd, &before) == 0 ? 0 : errno;
  size_t done = 0;
  // A write cut short by a full disk is followed by one that says why.
  while (error == 0 && done < text.size()) {
    const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
    if (written > 0)
      done += static_cast<size_t>(written);
    else if (written == 0)
      error = ENOSPC;
    else if (errno != EINTR)
      error = errno;
  }
  // Part of the text landed: take it back, so the next append does not begin inside it.
  if (error != 0 && done > 0) (void)::ftruncate(fd, before.st_size);
  if (::close(fd) != 0 && error == 0) error = errno;
  return error == 0 || Failed(path, error, reason);
}

}  // namespace endcap
