#pragma once
// What the operator answers when a strain-gauge calibration asks for the bench's data, in the
// order it is asked: the room, the dead-weight tester (its make closed on the "Budenburg"
// offered), the reference gauge.

namespace endcap::testing {

struct EquipmentAnswer {
  const char* caption;
  const char* offered;
  const char* typed;  // null: the prompt is closed on what was offered
};

inline constexpr EquipmentAnswer kEquipmentAnswers[] = {
    {"Atmospheric pressure (millibar)", "", "1013.25"},
    {"Local temperature (Deg C)", "", "21.5"},
    {"Dead weight tester make", "Budenburg", nullptr},
    {"Dead weight tester Ident. No", "", "4711"},
    {"Strain gauge manufacturer", "", "Druck"},
    {"Strain gauge model", "", "PDCR 4000"},
};

}  // namespace endcap::testing
