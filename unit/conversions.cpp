#include "unit/conversions.h"

#include <cstdlib>

namespace endcap {

double LeadingDouble(const std::string& text) { return std::atof(text.c_str()); }

long LeadingInt(const std::string& text) { return std::strtol(text.c_str(), nullptr, 10); }

}  // namespace endcap
