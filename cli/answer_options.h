#pragma once
// The operator's answers given on the command line, so that a script need not feed them in the
// order the prompts come: each option answers its prompts every time they are asked, and is
// then checked where a typed answer is checked.

#include <map>
#include <string>

namespace CLI {
class App;
}

namespace endcap {

struct GivenAnswers {
  std::map<std::string, std::string> byCaption;  // prompt caption -> answer
  bool yesToGoingOn = false;                     // --yes
};

// The options, in their own group of the help.
void AddAnswerOptions(CLI::App& cli, GivenAnswers& answers);

// The help group they are listed under.
inline constexpr const char* kAnswerOptionsGroup = "Answers to the operator's prompts";

}  // namespace endcap
