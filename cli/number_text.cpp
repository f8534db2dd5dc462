#include "cli/number_text.h"

#include <cctype>

namespace endcap {

bool ParseNumber(const std::string& text, uint32_t max, uint32_t& value) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const size_t start = hex ? 2 : 0;
  if (text.size() == start) return false;
  const uint32_t base = hex ? 16 : 10;
  uint64_t result = 0;
  for (size_t i = start; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    uint32_t digit = 0;
    if (std::isdigit(c))
      digit = c - '0';
    else if (hex && std::isxdigit(c))
      digit = static_cast<uint32_t>(std::tolower(c) - 'a' + 10);
    else
      return false;
    result = result * base + digit;
    if (result > max) return false;
  }
  value = static_cast<uint32_t>(result);
  return true;
}

}  // namespace endcap
