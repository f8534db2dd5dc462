#include "unit/cal_record.h"

namespace endcap {

std::array<uint16_t, 4> EncodeCalRecord(const CalRecord& r) {
  const auto letter = [](char c) { return static_cast<unsigned>(static_cast<unsigned char>(c)) & 0x1Fu; };
  const unsigned m = r.marker & 0x1FFu;
  const unsigned reg2 = (static_cast<unsigned>(r.year) << 8) | (((m >> 6) & 7u) << 5) | letter(r.letters[0]);
  const unsigned reg3 = ((((m >> 3) & 7u) << 5 | letter(r.letters[1])) << 8) | ((m & 7u) << 5) | letter(r.letters[2]);
  return {r.kind, static_cast<uint16_t>((r.day << 8) | r.month), static_cast<uint16_t>(reg2), static_cast<uint16_t>(reg3)};
}

CalRecord DecodeCalRecord(const uint16_t* regs) {
  CalRecord r;
  r.kind = regs[0];
  r.day = static_cast<uint8_t>(regs[1] >> 8);
  r.month = static_cast<uint8_t>(regs[1] & 0xFF);
  r.year = static_cast<uint8_t>(regs[2] >> 8);
  const unsigned low2 = regs[2] & 0xFF, high3 = regs[3] >> 8, low3 = regs[3] & 0xFF;
  r.letters[0] = static_cast<char>((low2 & 0x1F) + 0x40);
  r.letters[1] = static_cast<char>((high3 & 0x1F) + 0x40);
  r.letters[2] = static_cast<char>((low3 & 0x1F) + 0x40);
  r.letters[3] = '\0';
  r.marker = static_cast<uint16_t>(((low2 >> 5) << 6) | ((high3 >> 5) << 3) | (low3 >> 5));
  return r;
}

}  // namespace endcap
