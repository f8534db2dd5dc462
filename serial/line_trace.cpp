#include "serial/line_trace.h"

namespace endcap {

LineTrace::LineTrace(std::FILE* out, Clock& clock) : out_(out), clock_(clock), startTick_(clock.TickCount()) {}

void LineTrace::Stamp(const char* direction) {
  const uint32_t ms = clock_.TickCount() - startTick_;
  std::fprintf(out_, "%6u.%03u %s", ms / 1000, ms % 1000, direction);
}

void LineTrace::Bytes(const char* direction, const uint8_t* data, size_t size) {
  Stamp(direction);
  for (size_t i = 0; i < size; ++i) std::fprintf(out_, " %02x", data[i]);
  if (size == 0) std::fputs(" (nothing)", out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

void LineTrace::Text(const char* direction, const std::string& text) {
  Stamp(direction);
  std::fputs(" \"", out_);
  for (unsigned char c : text) {
    if (c == '\r') std::fputs("\\r", out_);
    else if (c == '\n') std::fputs("\\n", out_);
    else if (c < 0x20 || c >= 0x7f) std::fprintf(out_, "\\x%02x", c);
    else std::fputc(c, out_);
  }
  std::fputs("\"\n", out_);
  std::fflush(out_);
}

void LineTrace::Note(const std::string& text) {
  Stamp("--");
  std::fprintf(out_, " %s\n", text.c_str());
  std::fflush(out_);
}

}  // namespace endcap
