#pragma once
// The station's two time sources behind one interface, so that logic tests can run on a
// virtual clock: the 32-bit millisecond tick counter (it wraps after about 49.7 days) and the
// local date-time with whole-second resolution.

#include <cstdint>

namespace endcap {

struct LocalDateTime {
  int year = 2000;   // four digits
  int month = 1;     // 1..12
  int day = 1;       // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

class Clock {
public:
  virtual ~Clock() = default;
  // Milliseconds, modulo 2^32.
  virtual uint32_t TickCount() = 0;
  // Whole seconds on a monotonic scale of the date-time clock; only differences are meaningful.
  virtual int64_t WholeSeconds() = 0;
  virtual LocalDateTime Now() = 0;
  // Block the caller for about ms milliseconds (may return early; callers re-check the tick).
  virtual void Sleep(uint32_t ms) = 0;
};

// Real time: CLOCK_MONOTONIC for the tick, the local wall clock for dates.
class SystemClock : public Clock {
public:
  uint32_t TickCount() override;
  int64_t WholeSeconds() override;
  LocalDateTime Now() override;
  void Sleep(uint32_t ms) override;
};

// Test time: stands still until someone sleeps on it, then jumps forward at once.
// The date-time clock advances with the tick, counting whole seconds from the start date.
class VirtualClock : public Clock {
public:
  explicit VirtualClock(uint32_t startTick = 0, LocalDateTime start = {2026, 12, 8, 9, 5, 0});
  uint32_t TickCount() override { return tick_; }
  int64_t WholeSeconds() override;
  LocalDateTime Now() override;
  void Sleep(uint32_t ms) override { Advance(ms); }

  void Advance(uint64_t ms);
  uint64_t ElapsedMs() const { return elapsedMs_; }
  void SetDate(const LocalDateTime& start);

private:
  uint32_t tick_;
  uint64_t elapsedMs_ = 0;
  uint64_t dateSetAtMs_ = 0;
  LocalDateTime start_;
};

}  // namespace endcap
