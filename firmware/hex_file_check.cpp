#include "firmware/hex_file_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "protocol/hex_record.h"
#include "serial/text_format.h"

namespace endcap {

namespace {

constexpr int kLastKnownType = 0x05;
constexpr size_t kReadChunk = 4096;
constexpr const char* kLineAfterEnd = "a line after the end-of-file record";

std::string Printable(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x20 && byte < 0x7F ? std::string("'") + c + "'" : Format("byte 0x%02X", byte);
}

int RecordType(const std::string& line) { return HexDigitValue(line[7]) * 16 + HexDigitValue(line[8]); }

std::string TooLong() { return Format("longer than %zu characters, the longest a record can be", kMaxRecordLength); }

const char* KindOf(mode_t mode) {
  if (S_ISFIFO(mode)) return "a named pipe (FIFO)";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "a special file";
}

// A directory keeps the system's own reason; anything else that is not a regular file is named.
HexFileCheck NotRegular(mode_t mode) {
  HexFileCheck check;
  check.readable = !S_ISDIR(mode);
  check.reason = S_ISDIR(mode) ? std::strerror(EISDIR) : Format("it is %s, not a regular file", KindOf(mode));
  return check;
}

HexFileCheck CannotRead(int error) {
  HexFileCheck check;
  check.reason = std::strerror(error);
  return check;
}

class Descriptor {
public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

private:
  int fd_;
};

// The lines of a program file in order, each checked as soon as it is complete.
class RecordLines {
public:
  explicit RecordLines(HexFileCheck& check) : check_(check) {}

  // False at the first bad line, with the check's line and reason set.
  bool Add(std::string line) {
    ++count_;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (ended_) return Refuse(count_, kLineAfterEnd);
    const std::string problem = HexRecordProblem(line);
    if (!problem.empty()) return Refuse(count_, problem);
    ended_ = RecordType(line) == kHexEndOfFileRecord;
    return true;
  }
  // The part of a line read so far: refused as soon as nothing can make it a good one.
  bool Pending(size_t length) {
    if (length > 0 && ended_) return Refuse(count_ + 1, kLineAfterEnd);
    // One character more than a record for the CR of a CR LF end.
    if (length > kMaxRecordLength + 1) return Refuse(count_ + 1, TooLong());
    return true;
  }
  bool Refuse(int line, const std::string& reason) {
    check_.line = line;
    check_.reason = reason;
    return false;
  }
  int count() const { return count_; }
  bool ended() const { return ended_; }

private:
  HexFileCheck& check_;
  int count_ = 0;
  bool ended_ = false;
};

}  // namespace

std::string HexRecordProblem(const std::string& line) {
  if (line.size() > kMaxRecordLength) return TooLong();
  if (line.empty()) return "an empty line";
  if (line[0] != ':') return "it does not begin with a colon";
  for (size_t i = 1; i < line.size(); ++i)
    if (HexDigitValue(line[i]) < 0) return Format("%s at column %zu is not a hexadecimal digit", Printable(line[i]).c_str(), i + 1);
  if ((line.size() - 1) % 2 != 0) return "an odd number of hexadecimal digits";
  std::vector<int> bytes;
  for (size_t i = 1; i < line.size(); i += 2) bytes.push_back(HexDigitValue(line[i]) * 16 + HexDigitValue(line[i + 1]));
  if (bytes.size() < kHexRecordOverhead) return "too short for a record";
  const size_t data = bytes.size() - kHexRecordOverhead;
  if (static_cast<size_t>(bytes[0]) != data)
    return Format("the byte count is %d but the record holds %zu data bytes", bytes[0], data);
  if (bytes[3] > kLastKnownType) return Format("unknown record type %02X", bytes[3]);
  int sum = 0;
  for (size_t i = 0; i + 1 < bytes.size(); ++i) sum += bytes[i];
  const int expected = (256 - sum % 256) % 256;
  if (bytes.back() != expected) return Format("the checksum is %02X, it should be %02X", bytes.back(), expected);
  if (bytes[3] == kHexEndOfFileRecord && data > 0) return Format("the end-of-file record carries %zu data bytes", data);
  return "";
}

HexFileCheck ReadHexFile(const std::string& path, std::string& program) {
  program.clear();
  // Looked at before it is opened: opening a named pipe waits for a writer, and opening a
  // serial device changes its modem lines.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return CannotRead(errno);
  if (!S_ISREG(info.st_mode)) return NotRegular(info.st_mode);
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) return CannotRead(errno);
  // The path may have been replaced since.
  if (::fstat(file.get(), &info) != 0) return CannotRead(errno);
  if (!S_ISREG(info.st_mode)) return NotRegular(info.st_mode);

  HexFileCheck check;
  check.readable = true;
  RecordLines lines(check);
  std::string text;
  size_t lineStart = 0;
  char chunk[kReadChunk];
  for (;;) {
    const ssize_t n = ::read(file.get(), chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return CannotRead(errno);
    if (n == 0) break;
    text.append(chunk, static_cast<size_t>(n));
    for (size_t end; (end = text.find('\n', lineStart)) != std::string::npos; lineStart = end + 1)
      if (!lines.Add(text.substr(lineStart, end - lineStart))) return check;
    if (!lines.Pending(text.size() - lineStart)) return check;
  }
  if (lineStart < text.size() && !lines.Add(text.substr(lineStart))) return check;
  if (!lines.ended()) {
    lines.Refuse(lines.count(), lines.count() == 0 ? "the file is empty" : "the last line is not an end-of-file record");
    return check;
  }
  check.valid = true;
  program = std::move(text);
  return check;
}

std::string WhereAndWhy(const HexFileCheck& check) {
  return check.line > 0 ? Format("line %d: %s", check.line, check.reason.c_str()) : check.reason;
}

}  // namespace endcap
