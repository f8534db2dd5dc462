// The meaning of each certificate key, and which items carry a verdict.

#include "records/result_key_meanings.h"

#include <gtest/gtest.h>

namespace endcap {
namespace {

TEST(ResultKeyMeaningsTest, EveryCertificateKeyIsNamedAndOnlyMeasuredItemsHaveAVerdict) {
  struct Row {
    const char* key;
    const char* meaning;
    bool hasVerdict;
  };
  const Row rows[] = {
      {"3.02.01", "inclinometer check: operator and date", false},
      {"3.03.01", "inclinometer check, level: pitch", true},
      {"3.03.02", "inclinometer check, level: roll", true},
      {"3.03.03", "inclinometer check, first angle, bow at 0 degrees: pitch", true},
      {"3.03.06", "inclinometer check, first angle, bow at 90 degrees: roll", true},
      {"3.03.11", "inclinometer check, second angle, bow at 0 degrees: pitch", true},
      {"3.03.18", "inclinometer check, second angle, bow at 270 degrees: roll", true},
      {"3.04.01", "gauge manufacturer", false},
      {"3.04.05", "gauge accuracy (% of full scale)", false},
      {"3.05.01", "pressure check at 0 % of full scale", true},
      {"3.05.06", "pressure check at 100 % of full scale", true},
      {"3.05.09", "dead-weight tester make", false},
      {"3.05.10", "dead-weight tester ident. number", false},
      {"PCB.03", "PCB test supply current", true},
      {"PCB.06", "PCB test overall result", true},
  };
  for (const Row& row : rows) {
    const std::optional<ResultKeyMeaning> meaning = MeaningOfResultKey(row.key);
    ASSERT_TRUE(meaning) << row.key;
    EXPECT_EQ(meaning->meaning, row.meaning) << row.key;
    EXPECT_EQ(meaning->hasVerdict, row.hasVerdict) << row.key;
  }
  for (const char* key : {"3.03.19", "3.05.11", "3.02.02", "PCB.07", ""}) EXPECT_FALSE(MeaningOfResultKey(key)) << key;
}

}  // namespace
}  // namespace endcap
