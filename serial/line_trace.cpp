#include "serial/line_trace.h"

#include <cerrno>
#include <cstring>

namespace endcap {

LineTrace::LineTrace(std::FILE* out, Clock& clock, FailureHandler onFailure)
    : out_(out), clock_(clock), onFailure_(std::move(onFailure)), startTick_(clock.TickCount()) {}

LineTrace::~LineTrace() { EndRepeats(); }

void LineTrace::Stamp(uint32_t tick, const char* direction) {
  const uint32_t ms = tick - startTick_;
  std::fprintf(out_, "%6u.%03u %s", ms / 1000, ms % 1000, direction);
}

void LineTrace::EndLine() {
  if (std::fflush(out_) == 0 && !std::ferror(out_)) return;
  failed_ = true;
  if (onFailure_) onFailure_(std::strerror(errno));
}

void LineTrace::EndRepeats() {
  if (repeats_ == 0 || failed_) return;
  Stamp(lastRepeatTick_, "--");
  std::fprintf(out_, " (the line above %u more time%s)\n", repeats_, repeats_ == 1 ? "" : "s");
  repeats_ = 0;
  EndLine();
}

void LineTrace::Bytes(const char* direction, const uint8_t* data, size_t size) {
  if (failed_) return;
  EndRepeats();
  lastNote_.clear();
  Stamp(clock_.TickCount(), direction);
  for (size_t i = 0; i < size; ++i) std::fprintf(out_, " %02x", data[i]);
  if (size == 0) std::fputs(" (nothing)", out_);
  std::fputc('\n', out_);
  EndLine();
}

void LineTrace::Text(const char* direction, const std::string& text) {
  if (failed_) return;
  EndRepeats();
  lastNote_.clear();
  Stamp(clock_.TickCount(), direction);
  std::fputs(" \"", out_);
  for (unsigned char c : text) {
    if (c == '\r') std::fputs("\\r", out_);
    else if (c == '\n') std::fputs("\\n", out_);
    else if (c < 0x20 || c >= 0x7f) std::fprintf(out_, "\\x%02x", c);
    else std::fputc(c, out_);
  }
  std::fputs("\"\n", out_);
  EndLine();
}

void LineTrace::Note(const std::string& text) {
  if (failed_) return;
  if (!lastNote_.empty() && text == lastNote_) {
    ++repeats_;
    lastRepeatTick_ = clock_.TickCount();
    return;
  }
  EndRepeats();
  lastNote_ = text;
  Stamp(clock_.TickCount(), "--");
  std::fprintf(out_, " %s\n", text.c_str());
  EndLine();
}

}  // namespace endcap
