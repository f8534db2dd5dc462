#include "serial/clock.h"

#include <ctime>
#include <cerrno>

namespace endcap {

uint32_t SystemClock::TickCount() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  const uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

int64_t SystemClock::WholeSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

LocalDateTime SystemClock::Now() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void SystemClock::Sleep(uint32_t ms) {
  timespec req{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&req, &req) != 0 && errno == EINTR) {
  }
}

VirtualClock::VirtualClock(uint32_t startTick, LocalDateTime start) : tick_(startTick), start_(start) {}

void VirtualClock::Advance(uint64_t ms) {
  tick_ = static_cast<uint32_t>(tick_ + ms);
  elapsedMs_ += ms;
}

int64_t VirtualClock::WholeSeconds() { return static_cast<int64_t>(elapsedMs_ / 1000); }

void VirtualClock::SetDate(const LocalDateTime& start) {
  start_ = start;
  dateSetAtMs_ = elapsedMs_;
}

LocalDateTime VirtualClock::Now() {
  std::tm tm{};
  tm.tm_year = start_.year - 1900;
  tm.tm_mon = start_.month - 1;
  tm.tm_mday = start_.day;
  tm.tm_hour = start_.hour;
  tm.tm_min = start_.minute;
  tm.tm_sec = start_.second + static_cast<int>((elapsedMs_ - dateSetAtMs_) / 1000);
  tm.tm_isdst = 0;
  timegm(&tm);  // normalises the fields; the virtual clock has no time zone
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace endcap
