#pragma once
// What crossed the line, for an engineer: every frame sent and received as hex bytes and every
// text line of the boot-loader dialogue, each with a millisecond timestamp from the tick counter.

#include <cstdint>
#include <cstdio>
#include <string>

#include "serial/clock.h"

namespace endcap {

class LineTrace {
public:
  // The stream stays the caller's; it is flushed after every line so a crash loses nothing.
  LineTrace(std::FILE* out, Clock& clock);
  void Bytes(const char* direction, const uint8_t* data, size_t size);
  void Text(const char* direction, const std::string& text);
  void Note(const std::string& text);

private:
  void Stamp(const char* direction);
  std::FILE* out_;
  Clock& clock_;
  uint32_t startTick_;
};

}  // namespace endcap
