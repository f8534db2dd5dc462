#pragma once
// One result of a certificate item (such as "3.03.01"), as the calibration sheets read it.

#include <cstdint>
#include <string>

namespace endcap {

struct CertificateResult {
  uint8_t day = 0;
  uint8_t month = 0;
  uint8_t year = 0;  // years since 2000
  std::string name;  // who recorded the result
  uint8_t passFlag = 0;  // 0 failed, 1 passed; any other value gives no verdict
  double value = 0.0;    // the measured or nominal value of the item
  double value2 = 0.0;
  double value3 = 0.0;
  std::string text;  // free result text
  bool noValue = false;  // nothing was measured (no reading came): value is 0 and means nothing

  bool operator==(const CertificateResult& other) const {
    return day == other.day && month == other.month && year == other.year && name == other.name &&
           passFlag == other.passFlag && value == other.value && noValue == other.noValue && value2 == other.value2 &&
           value3 == other.value3 &&
           text == other.text;
  }
};

}  // namespace endcap
