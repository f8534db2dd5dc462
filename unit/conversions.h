#pragma once
// Numbers in the operator's texts.

#include <string>

namespace endcap {

// Leading number of an operator's text as atof / atoi read it: 0 when there is none.
double LeadingDouble(const std::string& text);
long LeadingInt(const std::string& text);

}  // namespace endcap
