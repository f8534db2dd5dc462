#include "protocol/register_values.h"

#include <cstdio>
#include <cstring>

namespace endcap {

double RegistersToFloat(const uint16_t* regs, int i) {
  const uint32_t pattern = static_cast<uint32_t>(RegistersToInt32(regs, i));
  float value;
  std::memcpy(&value, &pattern, sizeof value);
  return value;
}

int32_t RegistersToInt32(const uint16_t* regs, int i) {
  return static_cast<int32_t>((static_cast<uint32_t>(regs[i]) << 16) | regs[i + 1]);
}

void Int32ToRegisters(uint16_t* regs, int i, uint32_t pattern) {
  regs[i] = static_cast<uint16_t>(pattern >> 16);
  regs[i + 1] = static_cast<uint16_t>(pattern & 0xFFFF);
}

uint32_t FloatBits(float value) {
  uint32_t pattern;
  std::memcpy(&pattern, &value, sizeof pattern);
  return pattern;
}

std::string SerialFromRegisters(uint16_t first, uint16_t second) {
  const auto digit = [](unsigned nibble) { return nibble <= 9; };
  const unsigned top = first >> 12;
  const bool valid = (digit(top) || top == 0xE) && digit((first >> 8) & 0xF) && digit((first >> 4) & 0xF) &&
                     digit(first & 0xF) && digit(second >> 12) && digit((second >> 8) & 0xF) &&
                     digit((second >> 4) & 0xF) && digit(second & 0xF);
  if (!valid) return "000000-000";
  char text[16];
  std::snprintf(text, sizeof text, "%04X%02x-0%02x", first, second >> 8, second & 0xFF);
  return text;
}

}  // namespace endcap
