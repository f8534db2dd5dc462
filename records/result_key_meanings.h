#pragma once
// What each key in the results store stands for, in the words a bench engineer reads
// ("3.04.01" is the gauge manufacturer, "PCB.03" the PCB test's supply current), and whether its
// item carries a verdict: a text or a reference value is stored with no pass or fail of its own.

#include <optional>
#include <string>

namespace endcap {

struct ResultKeyMeaning {
  std::string meaning;
  bool hasVerdict = false;
};

// Nothing for a key that neither the certificate items nor the PCB test use.
std::optional<ResultKeyMeaning> MeaningOfResultKey(const std::string& key);

}  // namespace endcap
