#pragma once
// A simulated unit on an in-memory line with a virtual clock, and a bare Modbus master to talk
// to it: exact request bytes in, exact reply bytes and their arrival times out.

#include <cstdint>
#include <vector>

#include "serial/clock.h"
#include "serial/memory_device.h"
#include "sim/memory_unit_peer.h"
#include "sim/simulated_unit.h"

namespace endcap::sim::testing {

struct Reply {
  Frame bytes;
  uint32_t firstByteMs = 0;  // after the request was written
  uint32_t lastByteMs = 0;
  bool hungUp = false;  // the line was unplugged
};

class MemoryBench {
public:
  explicit MemoryBench(UnitConfig config = {});

  // Writes the request as it is and collects the reply until 50 ms of silence (or 1 s of none).
  Reply Exchange(const Frame& request);
  // Appends the CRC and checks the reply's CRC; an empty frame when there was no good reply.
  Frame Transact(Frame body);
  // Registers read with function 4; a test failure and an empty vector on any other reply.
  std::vector<uint16_t> Read(uint16_t first, uint16_t count);
  double ReadFloat(uint16_t reg);
  void WriteSingle(uint16_t reg, uint16_t value);
  // The unlock, then function 16.
  void WriteMultiple(uint16_t first, const std::vector<uint16_t>& values);
  void WriteFloats(uint16_t first, const std::vector<double>& values);
  // Writes 0 to 300 and polls 304 until it is not 0, as the station does.
  void Measure();

  VirtualClock clock;
  MemoryLine line{clock};
  SimulatedUnit unit;
  MemoryUnitPeer peer{line, unit};
  MemoryDevice device{line};
};

}  // namespace endcap::sim::testing
