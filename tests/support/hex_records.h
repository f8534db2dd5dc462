#pragma once
// Intel HEX records and program files for the firmware tests and the benchmark, with their
// checksums computed here, independently of the station's own check.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace endcap::testing {

// ":" count, address, type, data, checksum (two's complement of the sum of the bytes before).
inline std::string HexRecord(uint8_t type, uint16_t address, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> bytes = {static_cast<uint8_t>(data.size()), static_cast<uint8_t>(address >> 8),
                                static_cast<uint8_t>(address & 0xFF), type};
  bytes.insert(bytes.end(), data.begin(), data.end());
  unsigned sum = 0;
  for (uint8_t b : bytes) sum += b;
  bytes.push_back(static_cast<uint8_t>((0x100 - sum % 0x100) % 0x100));
  std::string text = ":";
  char pair[3];
  for (uint8_t b : bytes) {
    std::snprintf(pair, sizeof pair, "%02X", b);
    text += pair;
  }
  return text;
}

inline std::string EndOfFileRecord() { return ":00000001FF"; }

// A program image: records data records of bytesPerRecord bytes each, then the end-of-file
// record, every line ending in a line feed.
inline std::string HexImage(int records, int bytesPerRecord) {
  std::string image;
  for (int r = 0; r < records; ++r) {
    std::vector<uint8_t> data;
    for (int k = 0; k < bytesPerRecord; ++k) data.push_back(static_cast<uint8_t>(r * 7 + k));
    image += HexRecord(0x00, static_cast<uint16_t>(r * bytesPerRecord), data) + "\n";
  }
  return image + EndOfFileRecord() + "\n";
}

inline void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

}  // namespace endcap::testing
