#pragma once
// What crossed the line, for an engineer: every frame sent and received as hex bytes and every
// text line of the boot-loader dialogue, each with a millisecond timestamp from the tick counter.
// A note repeated word for word (a port that keeps failing to open) is written once, followed
// by one line with the count of its repeats.

#include <cstdint>
#include <cstdio>
#include <string>

#include "serial/clock.h"

namespace endcap {

class LineTrace {
public:
  // The stream stays the caller's; it is flushed after every line so a crash loses nothing.
  // name says in the one message on standard error what could not be written, should the
  // stream fail (a full disk); the trace then stops and the program goes on.
  LineTrace(std::FILE* out, Clock& clock, std::string name = "the trace");
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
  std::string name_;
  uint32_t startTick_;
  bool failed_ = false;
  std::string lastNote_;
  uint32_t repeats_ = 0;
  uint32_t lastRepeatTick_ = 0;
};

}  // namespace endcap
