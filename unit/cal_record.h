#pragma once
// A calibration record in the unit: four registers at 400 + 4 x kind.
//   +0 kind | +1 day, month | +2 year, marker bits 8-6 and letter 1 |
//   +3 marker bits 5-3 and letter 2, marker bits 2-0 and letter 3 (letters as their low 5 bits).

#include <array>
#include <cstdint>
#include <string>

namespace endcap {

struct CalRecord {
  uint16_t kind = 0;
  uint8_t day = 0;
  uint8_t month = 0;
  uint8_t year = 0;  // counted from 2000
  char letters[4] = {0, 0, 0, 0};
  uint16_t marker = 0;  // 9 bits significant

  // Marker 0 or a month above 12: the calibration has not been done.
  bool Done() const { return marker != 0 && month <= 12; }
};

enum CalKind : int { kFactoryCal = 0, kInclinometerCalKind = 1, kPressureCalKind = 2 };

std::array<uint16_t, 4> EncodeCalRecord(const CalRecord& record);
CalRecord DecodeCalRecord(const uint16_t* regs);

}  // namespace endcap
