#include "records/append_line.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace endcap {

bool AppendWholeLine(const std::string& path, const std::string& text) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  struct stat before {};
  bool whole = ::fstat(fd, &before) == 0;
  if (whole) {
    ssize_t written;
    do {
      written = ::write(fd, text.data(), text.size());
    } while (written < 0 && errno == EINTR);
    whole = written == static_cast<ssize_t>(text.size());
    // Part of the line landed: take it back, so the next line does not begin inside it.
    if (!whole && written > 0) (void)::ftruncate(fd, before.st_size);
  }
  if (::close(fd) != 0) whole = false;
  return whole;
}

}  // namespace endcap
