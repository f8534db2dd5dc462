#pragma once
// Intel HEX records, the lines of a program file that the unit's boot loader takes: ":" then
// pairs of hexadecimal digits holding byte count, address (two bytes), record type, the data
// and a check byte that makes the sum of all of them 0 modulo 256.

#include <cstddef>

namespace endcap {

// Byte count, two address bytes, record type, checksum.
constexpr size_t kHexRecordOverhead = 5;
constexpr int kHexEndOfFileRecord = 0x01;

// The value of one hexadecimal digit of either case; -1 for any other character.
constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace endcap
