#pragma once
// What crossed the line, for an engineer: every frame sent and received as hex bytes and every
// text line of the boot-loader dialogue, each with a millisecond timestamp from the tick counter.
// A note repeated word for word (a port that keeps failing to open) is written once, followed
// by one line with the count of its repeats.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "serial/clock.h"

namespace endcap {

class LineTrace {
public:
  // Told once, with the system's reason, when the stream fails (a full disk); the trace then
  // stops and the program goes on.
  using FailureHandler = std::function<void(const std::string& reason)>;

  // The stream stays the caller's; it is flushed after every line so a crash loses nothing.
  LineTrace(std::FILE* out, Clock& clock, FailureHandler onFailure);
  ~LineTrace();
  LineTrace(const LineTrace&) = delete;
  LineTrace& operator=(const LineTrace&) = delete;

  void Bytes(const char* direction, const uint8_t* data, size_t size);
  void Text(const char* direction, const std::string& text);
  void Note(const std::string& text);
  bool failed() const { return failed_; }

private:
  void Stamp(uint32_t tick, const char* direction);
  // Writes the count of repeats of the last note, if any.
  void EndRepeats();
  // Flushes the line just written; on the first failure says so once and stops the trace.
  void EndLine();

  std::FILE* out_;
  Clock& clock_;
  FailureHandler onFailure_;
  uint32_t startTick_;
  bool failed_ = false;
  std::string lastNote_;
  uint32_t repeats_ = 0;
  uint32_t lastRepeatTick_ = 0;
};

}  // namespace endcap
