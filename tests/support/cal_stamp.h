#pragma once
// The registers of a calibration record as the fixtures' operator stamps it: "AB", marker 1,
// on 8 December 2026, the day their virtual clock shows.

#include <cstdint>
#include <vector>

#include "unit/cal_record.h"

namespace endcap::testing {

inline std::vector<uint16_t> StampOfAB(uint16_t kind) {
  CalRecord stamp;
  stamp.kind = kind;
  stamp.day = 8;
  stamp.month = 12;
  stamp.year = 26;
  stamp.letters[0] = 'A';
  stamp.letters[1] = 'B';
  stamp.marker = 1;
  const auto encoded = EncodeCalRecord(stamp);
  return {encoded.begin(), encoded.end()};
}

}  // namespace endcap::testing
