#pragma once
// A simulated unit on an in-memory serial line, for tests on a virtual clock. The line hands
// over each write of the station whole; the line is then silent until the station's next
// write, which comes 40 ms or more later, so the end of a write is also the end of a frame.

#include "serial/memory_device.h"
#include "sim/line_control.h"
#include "sim/simulated_unit.h"

namespace endcap::sim {

class MemoryUnitPeer : public LinePeer, public LineControl {
public:
  // Attaches itself to the line; detaches on destruction.
  MemoryUnitPeer(MemoryLine& line, SimulatedUnit& unit);
  ~MemoryUnitPeer() override;
  MemoryUnitPeer(const MemoryUnitPeer&) = delete;
  MemoryUnitPeer& operator=(const MemoryUnitPeer&) = delete;

  void OnHostBytes(const uint8_t* data, size_t size) override;
  void HangUp() override;
  bool Replug(std::string& detail) override;

private:
  void Send(const ReplyPlan& plan);

  MemoryLine& line_;
  SimulatedUnit& unit_;
};

}  // namespace endcap::sim
