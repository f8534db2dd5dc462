#pragma once
// The simulated unit that --simulate puts on COM1: the board model served on a pseudo-terminal
// by a thread of its own, so the station's blocking exchanges never hold it up. The station
// opens it through a link that follows the pseudo-terminal when the bench unplugs and replugs
// the line.

#include <string>

#include "serial/clock.h"
#include "sim/pty_unit_server.h"
#include "sim/simulated_unit.h"

namespace endcap {

class StationSimulator {
public:
  StationSimulator();
  // Stops serving and removes the link with its folder.
  ~StationSimulator();
  StationSimulator(const StationSimulator&) = delete;
  StationSimulator& operator=(const StationSimulator&) = delete;

  // Starts serving; false with the reason in error.
  bool Start(std::string& error);

  // What the station opens as COM1.
  const std::string& devicePath() const { return link_; }
  sim::SimulatedUnit& unit() { return unit_; }
  sim::LineControl& line() { return server_; }

private:
  SystemClock clock_;
  std::string folder_;
  std::string link_;
  sim::SimulatedUnit unit_;
  sim::PtyUnitServer server_;
};

}  // namespace endcap
