#include "records/whole_line_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace endcap {

bool WriteWholeLine(const std::string& path, const std::string& line, bool create) {
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (create ? O_TRUNC : O_APPEND);
  const int fd = ::open(path.c_str(), flags, 0664);
  if (fd < 0) return false;
  struct stat before {};
  bool ok = ::fstat(fd, &before) == 0;
  if (ok) {
    ssize_t written;
    do {
      written = ::write(fd, line.data(), line.size());
    } while (written < 0 && errno == EINTR);
    ok = written == static_cast<ssize_t>(line.size());
    if (!ok && written > 0) {
      // Cut the fragment off; should even that fail, the caller still reports the lost line.
      [[maybe_unused]] const int cut = ::ftruncate(fd, before.st_size);
    }
  }
  return ::close(fd) == 0 && ok;
}

}  // namespace endcap
