#pragma once
// Frames as the tests write them: "fa 04 00 02" for bytes, and back.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace endcap::testing {

// "fa 04 00 02" -> bytes
inline std::vector<uint8_t> Hex(const char* text) {
  std::vector<uint8_t> bytes;
  char* end = nullptr;
  for (const char* p = text; *p; p = end) {
    const unsigned long value = std::strtoul(p, &end, 16);
    if (end == p) break;
    bytes.push_back(static_cast<uint8_t>(value));
  }
  return bytes;
}

// bytes -> "fa 04 00 02", as the trace writes them.
inline std::string HexText(const uint8_t* data, size_t size) {
  std::string text;
  char byte[4];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(byte, sizeof byte, "%s%02x", text.empty() ? "" : " ", data[i]);
    text += byte;
  }
  return text;
}

inline std::string HexText(const std::vector<uint8_t>& bytes) { return HexText(bytes.data(), bytes.size()); }

}  // namespace endcap::testing
