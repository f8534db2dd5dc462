#pragma once
// The system's texts break lines with "\r\n", as the unit's tools and the record file do; the
// Qt widgets break them with "\n". Only the windows convert, at the point of display.

#include <string>

namespace endcap {

// Every "\r\n" becomes "\n".
std::string ToDisplayText(const std::string& text);
// Every "\n" (with or without its "\r") becomes "\r\n": what the operator typed reads back
// the way the system writes it.
std::string FromDisplayText(const std::string& text);

}  // namespace endcap
