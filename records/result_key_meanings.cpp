#include "records/result_key_meanings.h"

#include <map>

#include "records/pcb_test_items.h"
#include "serial/text_format.h"

namespace endcap {

namespace {

std::map<std::string, ResultKeyMeaning> ResultKeyMeanings() {
  std::map<std::string, ResultKeyMeaning> meanings = {
      {"3.02.01", {"inclinometer check: operator and date", false}},
      {"3.03.01", {"inclinometer check, level: pitch", true}},
      {"3.03.02", {"inclinometer check, level: roll", true}},
      {"3.04.01", {"gauge manufacturer", false}},
      {"3.04.02", {"gauge model", false}},
      {"3.04.03", {"gauge serial number", false}},
      {"3.04.04", {"gauge full scale (bar)", false}},
      {"3.04.05", {"gauge accuracy (% of full scale)", false}},
      {"3.05.07", {"temperature (deg C)", false}},
      {"3.05.08", {"atmospheric pressure (mbar)", false}},
      {"3.05.09", {"dead-weight tester make", false}},
      {"3.05.10", {"dead-weight tester ident. number", false}},
  };
  // Each check angle's four bow positions, a pitch key and a roll key each.
  int key = 3;
  for (const char* angle : {"first", "second"})
    for (int bow = 0; bow < 360; bow += 90)
      for (const char* axis : {"pitch", "roll"})
        meanings[Format("3.03.%02d", key++)] = {
            Format("inclinometer check, %s angle, bow at %d degrees: %s", angle, bow, axis), true};
  for (int point = 0; point < 6; ++point)
    meanings[Format("3.05.%02d", point + 1)] = {Format("pressure check at %d %% of full scale", point * 20), true};
  // Every PCB check, the overall result among them, is stored with its verdict.
  for (const PcbTestItem& item : kPcbTestItems) meanings[item.key] = {item.meaning, true};
  return meanings;
}

}  // namespace

std::optional<ResultKeyMeaning> MeaningOfResultKey(const std::string& key) {
  static const std::map<std::string, ResultKeyMeaning> kMeanings = ResultKeyMeanings();
  const auto found = kMeanings.find(key);
  if (found == kMeanings.end()) return std::nullopt;
  return found->second;
}

}  // namespace endcap
