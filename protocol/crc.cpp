#include "protocol/crc.h"

namespace endcap {

namespace {

struct CrcTable {
  uint16_t entry[256];
  constexpr CrcTable() : entry() {
    for (int i = 0; i < 256; ++i) {
      uint16_t crc = static_cast<uint16_t>(i);
      for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
      entry[i] = crc;
    }
  }
};

constexpr CrcTable kTable;

}  // namespace

uint16_t Crc16(const uint8_t* data, size_t size) {
  uint16_t crc = 0xFFFF;
  for (size_t i = 0; i < size; ++i) crc = static_cast<uint16_t>((crc >> 8) ^ kTable.entry[(crc ^ data[i]) & 0xFF]);
  return crc;
}

std::array<uint8_t, 2> ComputeCrc(const uint8_t* data, size_t length) {
  const uint16_t crc = Crc16(data, length % 256);
  return {static_cast<uint8_t>(crc & 0xFF), static_cast<uint8_t>(crc >> 8)};
}

}  // namespace endcap
