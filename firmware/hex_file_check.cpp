#include "firmware/hex_file_check.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

#include "unit/text_format.h"

namespace endcap {

namespace {

// Byte count, two address bytes, record type, checksum.
constexpr size_t kRecordOverhead = 5;
constexpr int kEndOfFileRecord = 0x01;
constexpr int kLastKnownType = 0x05;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string Printable(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x20 && byte < 0x7F ? std::string("'") + c + "'" : Format("byte 0x%02X", byte);
}

int RecordType(const std::string& line) { return HexDigit(line[7]) * 16 + HexDigit(line[8]); }

}  // namespace

std::string HexRecordProblem(const std::string& line) {
  if (line.empty()) return "an empty line";
  if (line[0] != ':') return "it does not begin with a colon";
  for (size_t i = 1; i < line.size(); ++i)
    if (HexDigit(line[i]) < 0) return Format("%s at column %zu is not a hexadecimal digit", Printable(line[i]).c_str(), i + 1);
  if ((line.size() - 1) % 2 != 0) return "an odd number of hexadecimal digits";
  std::vector<int> bytes;
  for (size_t i = 1; i < line.size(); i += 2) bytes.push_back(HexDigit(line[i]) * 16 + HexDigit(line[i + 1]));
  if (bytes.size() < kRecordOverhead) return "too short for a record";
  const size_t data = bytes.size() - kRecordOverhead;
  if (static_cast<size_t>(bytes[0]) != data)
    return Format("the byte count is %d but the record holds %zu data bytes", bytes[0], data);
  if (bytes[3] > kLastKnownType) return Format("unknown record type %02X", bytes[3]);
  int sum = 0;
  for (size_t i = 0; i + 1 < bytes.size(); ++i) sum += bytes[i];
  const int expected = (256 - sum % 256) % 256;
  if (bytes.back() != expected) return Format("the checksum is %02X, it should be %02X", bytes.back(), expected);
  return "";
}

HexFileCheck CheckHexFile(const std::string& path) {
  HexFileCheck check;
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    check.reason = std::strerror(errno);
    return check;
  }
  check.readable = true;
  std::string line;
  int number = 0;
  bool ended = false;
  while (std::getline(file, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    check.line = number;
    if (ended) {
      check.reason = "a line after the end-of-file record";
      return check;
    }
    check.reason = HexRecordProblem(line);
    if (!check.reason.empty()) return check;
    ended = RecordType(line) == kEndOfFileRecord;
  }
  if (file.bad()) {
    check.readable = false;
    check.line = 0;
    check.reason = std::strerror(errno);
    return check;
  }
  if (!ended) {
    check.line = number;
    check.reason = number == 0 ? "the file is empty" : "the last line is not an end-of-file record";
    return check;
  }
  check.line = 0;
  check.valid = true;
  return check;
}

}  // namespace endcap
