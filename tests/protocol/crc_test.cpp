// CRC-16/MODBUS against independent vectors.

#include <gtest/gtest.h>

#include "protocol/crc.h"
#include "tests/support/frame_text.h"

namespace endcap {
namespace {

using testing::Hex;

struct CrcRow {
  const char* frame;
  uint16_t crc;
};

TEST(Crc, Vectors) {
  // Independent vectors: the Modbus application protocol examples and CRC-16/MODBUS "123456789".
  const CrcRow rows[] = {
      {"01 03 00 00 00 01", 0x0A84},
      {"fa 04 00 02 00 03", 0x4004},
      {"11 03 00 6b 00 03", 0x8776},
      {"31 32 33 34 35 36 37 38 39", 0x4B37},
      {"", 0xFFFF},
  };
  for (const CrcRow& row : rows) {
    const auto bytes = Hex(row.frame);
    EXPECT_EQ(Crc16(bytes.data(), bytes.size()), row.crc) << row.frame;
    const auto sent = ComputeCrc(bytes.data(), bytes.size());
    EXPECT_EQ(sent[0], row.crc & 0xFF) << row.frame;
    EXPECT_EQ(sent[1], row.crc >> 8) << row.frame;
  }
}

TEST(Crc, LengthIsTakenModulo256) {
  std::vector<uint8_t> bytes(262, 0x5A);
  EXPECT_EQ(ComputeCrc(bytes.data(), 262), ComputeCrc(bytes.data(), 6));
}

}  // namespace
}  // namespace endcap
