#pragma once
// Values in the unit's registers: a 32-bit value takes two registers, high half in the
// lower-numbered one; a serial number is two registers of BCD digits.

#include <cstdint>
#include <string>

namespace endcap {

// The IEEE 754 single in registers i (high half) and i + 1, widened to double.
double RegistersToFloat(const uint16_t* regs, int i);
int32_t RegistersToInt32(const uint16_t* regs, int i);
void Int32ToRegisters(uint16_t* regs, int i, uint32_t pattern);
uint32_t FloatBits(float value);

// "%04X%02x-0%02x" of a valid BCD pair (first nibble 0-9 or E), else "000000-000".
std::string SerialFromRegisters(uint16_t first, uint16_t second);

}  // namespace endcap
