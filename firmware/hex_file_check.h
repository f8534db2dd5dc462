#pragma once
// The check a program file must pass before the board is switched to its boot loader: once
// switched, the board has no program until a whole image has gone in, so a file that is not an
// Intel HEX image (a wrong file picked under "All (*.*)", a truncated download) must be refused
// while the board still runs its old program.

#include <string>

namespace endcap {

struct HexFileCheck {
  bool valid = false;
  bool readable = false;  // false: the file could not be opened or read; reason says why
  int line = 0;           // 1-based line of the first problem; 0 when it concerns the whole file
  std::string reason;
};

// Every line a record (a colon, pairs of hexadecimal digits, a byte count that matches the data,
// a correct checksum, a record type from 00 to 05), an end-of-file record last. A line may end
// in CR LF, as the file is read in text mode.
HexFileCheck CheckHexFile(const std::string& path);

// One line without its line end: empty when it is a good record, else what is wrong with it.
std::string HexRecordProblem(const std::string& line);

}  // namespace endcap
