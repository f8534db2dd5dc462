#pragma once
// The check a program file must pass before the board is switched to its boot loader: once
// switched, the board has no program until a whole image has gone in, so a file that is not an
// Intel HEX image (a wrong file picked under "All (*.*)", a truncated download) must be refused
// while the board still runs its old program. The file is read once, into memory, and what is
// sent is that checked copy: a file changed on disk after the check changes nothing.

#include <cstddef>
#include <string>

namespace endcap {

// A colon and the hexadecimal pairs of a record with 255 data bytes: count, address (2), type,
// data and checksum.
constexpr size_t kMaxRecordLength = 1 + 2 * (5 + 255);

struct HexFileCheck {
  bool valid = false;
  bool readable = false;  // false: the file could not be opened or read; reason says why
  int line = 0;           // 1-based line of the first problem; 0 when it concerns the whole file
  std::string reason;
};

// The reason, led by "line N: " when it concerns one line.
std::string WhereAndWhy(const HexFileCheck& check);

// Reads the regular file at path into program and checks it: every line a record (a colon,
// pairs of hexadecimal digits, a byte count that matches the data, a correct checksum, a record
// type from 00 to 05, no data in an end-of-file record), an end-of-file record last. A line may
// end in CR LF, as the file is read in text mode. Anything but a regular file (a named pipe, a
// device) is refused before it is opened; reading stops at the first bad line, so a line that
// never ends is not read into memory. program is empty unless the file is valid.
HexFileCheck ReadHexFile(const std::string& path, std::string& program);

// One line without its line end: empty when it is a good record, else what is wrong with it.
std::string HexRecordProblem(const std::string& line);

}  // namespace endcap
