#pragma once
// The far end of a real serial line for integration tests: a pseudo-terminal whose slave path
// the station opens as its COM port, while the test scripts the master from a thread and times
// every byte on the real monotonic clock.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace endcap::integration {

using Steady = std::chrono::steady_clock;

// Milliseconds from a to b (negative when b is earlier).
double MsBetween(Steady::time_point a, Steady::time_point b);

class PtyPair {
public:
  PtyPair();
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  // False when the pair could not be created; error() says why.
  bool ok() const { return master_ >= 0; }
  const std::string& error() const { return error_; }
  const std::string& slavePath() const { return slavePath_; }
  int master() const { return master_; }
  // The far end goes away: the station's next read sees a hang-up.
  void CloseMaster();

private:
  int master_ = -1;
  std::string slavePath_;
  std::string error_;
};

struct Received {
  std::vector<uint8_t> bytes;
  Steady::time_point first{};  // arrival of the first byte at the far end
  Steady::time_point last{};
};

// Collects what the station sends until count bytes have come or deadlineMs has passed.
Received ReadFromStation(int master, size_t count, int deadlineMs);

// Sends bytes to the station in one write; returns the moment just before the write, so that
// the station cannot have seen the bytes earlier than the time returned.
Steady::time_point WriteToStation(int master, const std::vector<uint8_t>& bytes);
Steady::time_point WriteToStation(int master, const std::string& text);

}  // namespace endcap::integration
