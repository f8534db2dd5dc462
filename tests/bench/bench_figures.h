#pragma once
// What every benchmark here measures with: the process's CPU time, the median of its runs,
// and the line's floors at 9600 baud.

#include <sys/resource.h>

#include <algorithm>
#include <vector>

namespace endcap::bench {

// How long the standalone simulator may take to print its device path.
inline constexpr int kSimulatorReadyMs = 10000;
// One byte is 10 bits at 9600 baud.
inline constexpr double kByteMs = 10.0 * 1000.0 / 9600.0;
// A Modbus exchange: 100 ms before Transact hands over the request, 20 ms, purge, 20 ms
// before it is written; the reply ends after 50 ms of silence.
inline constexpr double kExchangePausesMs = 100.0 + 20.0 + 20.0;
inline constexpr double kSilenceMs = 50.0;

inline double CpuMs() {
  rusage r{};
  getrusage(RUSAGE_SELF, &r);
  return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1000.0 + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1000.0;
}

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

}  // namespace endcap::bench
