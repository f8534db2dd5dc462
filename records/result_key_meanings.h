#pragma once
// What each certificate key in the results store stands for, in the words a bench engineer
// reads ("3.04.01" is the gauge manufacturer), and whether its item carries a verdict: a text
// or a reference value is stored with no pass or fail of its own.

#include <optional>
#include <string>

namespace endcap {

struct ResultKeyMeaning {
  std::string meaning;
  bool hasVerdict = false;
};

// Nothing for a key that the certificate items do not use.
std::optional<ResultKeyMeaning> MeaningOfCertificateKey(const std::string& key);

}  // namespace endcap
