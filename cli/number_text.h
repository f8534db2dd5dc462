#pragma once
// Numbers as an engineer types them on a command line or at the chooser: decimal, or
// hexadecimal after 0x. The whole text must be the number.

#include <cstdint>
#include <string>

namespace endcap {

// False when text is not a number or the number is above max.
bool ParseNumber(const std::string& text, uint32_t max, uint32_t& value);

}  // namespace endcap
