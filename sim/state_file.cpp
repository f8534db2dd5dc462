#include "sim/state_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace endcap::sim {

namespace {

constexpr const char* kHeader = "# endcap-unit-sim: the simulated board's kept registers, REGISTER VALUE, then end COUNT\n";

std::string Reason(const std::string& path, int err) { return path + ": " + std::strerror(err); }

bool IsReadOnly(const struct stat& st) { return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

// The file's directory, for the new file written beside it.
std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Creates a new file beside path (mode as given, less the umask); -1 with errno on failure.
int CreateBeside(const std::string& path, mode_t mode, std::string& created) {
  created = path + ".new-" + std::to_string(::getpid());
  int fd = ::open(created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0 && errno == EEXIST) {
    ::unlink(created.c_str());  // left by an earlier run that had this process number
    fd = ::open(created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  }
  return fd;
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool ReadStateFile(const std::string& path, MemoryImage& image, std::string& error) {
  image.clear();
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT) return true;
    error = Reason(path, errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error = Reason(path, S_ISDIR(st.st_mode) ? EISDIR : EINVAL) + " (not a state file)";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  std::stringstream whole;
  if (!in || !(whole << in.rdbuf()) || in.bad()) {
    // An empty file reads nothing: it is refused below for lacking its end line.
    if (st.st_size != 0) {
      error = Reason(path, errno ? errno : EIO);
      return false;
    }
  }
  const std::string text = whole.str();
  const auto at = [&](int line) { return path + ":" + std::to_string(line) + ": "; };
  int lineNumber = 0;
  bool ended = false;
  for (size_t begin = 0; begin < text.size();) {
    const size_t end = text.find('\n', begin);
    const std::string line = text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    ++lineNumber;
    if (end == std::string::npos) {
      error = at(lineNumber) + "the file ends inside a line ('" + line + "'): it was cut short";
      return false;
    }
    begin = end + 1;
    if (line.empty() || line[0] == '#') continue;
    if (ended) {
      error = at(lineNumber) + "a line after the end line ('" + line + "')";
      return false;
    }
    std::istringstream fields(line);
    std::string rest;
    if (line.compare(0, 4, "end ") == 0) {
      std::string word;
      long count = -1;
      if (!(fields >> word >> count) || (fields >> rest) || count != static_cast<long>(image.size())) {
        error = at(lineNumber) + "the end line '" + line + "' does not count the " + std::to_string(image.size()) +
                " registers before it";
        return false;
      }
      ended = true;
      continue;
    }
    long reg = -1, value = -1;
    if (!(fields >> reg >> value) || (fields >> rest) || reg < 0 || reg > 0xFFFF || value < 0 || value > 0xFFFF) {
      error = at(lineNumber) + "expected REGISTER VALUE, found '" + line + "'";
      return false;
    }
    image.emplace_back(static_cast<uint16_t>(reg), static_cast<uint16_t>(value));
  }
  if (!ended) {
    error = at(lineNumber + 1) + "no end line: the file is incomplete";
    image.clear();
    return false;
  }
  return true;
}

bool CheckStateFileWritable(const std::string& path, std::string& error) {
  struct stat st {};
  const bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && IsReadOnly(st)) {
    error = path + ": the file is read-only; the memory would not be kept";
    return false;
  }
  if (exists && ::access(path.c_str(), W_OK) != 0) {
    error = Reason(path, errno);
    return false;
  }
  // The saves write a new file beside this one: the folder must take it.
  std::string probe;
  const int fd = CreateBeside(path, 0600, probe);
  if (fd < 0) {
    error = Reason(FolderOf(path), errno) + " (the state file " + path + " cannot be saved there)";
    return false;
  }
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

bool WriteStateFile(const std::string& path, const MemoryImage& image, std::string& error) {
  struct stat st {};
  const bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && IsReadOnly(st)) {
    error = path + ": the file is read-only; not replaced";
    return false;
  }
  std::string text = kHeader;
  for (const auto& [reg, value] : image) text += std::to_string(reg) + ' ' + std::to_string(value) + '\n';
  text += "end " + std::to_string(image.size()) + '\n';

  std::string fresh;
  const int fd = CreateBeside(path, exists ? (st.st_mode & 07777) : 0666, fresh);
  if (fd < 0) {
    error = Reason(fresh, errno);
    return false;
  }
  bool ok = WriteAll(fd, text) && ::fsync(fd) == 0;
  int err = errno;
  if (ok && exists && ::fchmod(fd, st.st_mode & 07777) != 0) {
    ok = false;
    err = errno;
  }
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && std::rename(fresh.c_str(), path.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    ::unlink(fresh.c_str());
    error = Reason(path, err);
  }
  return ok;
}

}  // namespace endcap::sim
