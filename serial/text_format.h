#pragma once
// printf-style formatting into a std::string, for the system's exact texts.

#include <string>

namespace endcap {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace endcap
