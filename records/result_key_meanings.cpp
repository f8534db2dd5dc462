#include "records/result_key_meanings.h"

#include <map>

#include "records/certificate_items.h"
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
  for (int set = 0; set < 2; ++set) {
    const char* angle = set == 0 ? "first" : "second";
    for (int position = 0; position < 4; ++position) {
      const std::string where = Format("inclinometer check, %s angle, bow at %d degrees: ", angle, position * 90);
      meanings[InclinometerCheckPitchKey(set, position)] = {where + "pitch", true};
      meanings[InclinometerCheckRollKey(set, position)] = {where + "roll", true};
    }
  }
  for (int point = 0; point < 6; ++point)
    meanings[PressurePointKey(point)] = {Format("pressure check at %d %% of full scale", point * 20), true};
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
