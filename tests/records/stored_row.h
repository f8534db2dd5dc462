#pragma once
// A stored result whose every field is set, so that a store that drops or alters one is seen.

#include <string>

#include "records/results_store.h"

namespace endcap::testing {

inline StoredResult Row(const std::string& serial, const std::string& key, const std::string& text, double value = 0.0,
                        const std::string& storedAt = "2005-03-07 09:05:30") {
  StoredResult row;
  row.unitSerial = serial;
  row.key = key;
  row.result.day = 7;
  row.result.month = 3;
  row.result.year = 5;
  row.result.name = "AB";
  row.result.passFlag = 1;
  row.result.value = value;
  row.result.value2 = -1.5;
  row.result.value3 = 1e-9;
  row.result.text = text;
  row.storedAt = storedAt;
  return row;
}

}  // namespace endcap::testing
