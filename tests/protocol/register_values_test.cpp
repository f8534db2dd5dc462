// Values in register pairs: floats, 32-bit integers and BCD serial numbers.

#include <gtest/gtest.h>

#include "protocol/register_values.h"

namespace endcap {
namespace {

TEST(RegisterValues, FloatsIntegersAndSerials) {
  const uint16_t one[2] = {0x3F80, 0x0000};
  EXPECT_EQ(RegistersToFloat(one, 0), 1.0);
  uint16_t regs[2];
  Int32ToRegisters(regs, 0, FloatBits(0.1f));
  EXPECT_EQ(regs[0], 0x3DCC);
  EXPECT_EQ(regs[1], 0xCCCD);
  const uint16_t negative[2] = {0xFFFF, 0xFFFE};
  EXPECT_EQ(RegistersToInt32(negative, 0), -2);
  EXPECT_EQ(SerialFromRegisters(0x1234, 0x5607), "123456-007");
  EXPECT_EQ(SerialFromRegisters(0xE234, 0x5607), "E23456-007");
  EXPECT_EQ(SerialFromRegisters(0xA000, 0x0000), "000000-000");
  EXPECT_EQ(SerialFromRegisters(0x0000, 0x0001), "000000-001");
  EXPECT_EQ(SerialFromRegisters(0xFFFF, 0xFFFF), "000000-000");
  EXPECT_EQ(SerialFromRegisters(0x1234, 0x560A), "000000-000");
}

}  // namespace
}  // namespace endcap
