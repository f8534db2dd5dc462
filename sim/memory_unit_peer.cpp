#include "sim/memory_unit_peer.h"

namespace endcap::sim {

MemoryUnitPeer::MemoryUnitPeer(MemoryLine& line, SimulatedUnit& unit) : line_(line), unit_(unit) { line_.SetPeer(this); }

MemoryUnitPeer::~MemoryUnitPeer() { line_.SetPeer(nullptr); }

void MemoryUnitPeer::OnHostBytes(const uint8_t* data, size_t size) {
  Send(unit_.OnBytes(data, size));
  Send(unit_.OnSilence());
}

void MemoryUnitPeer::Send(const ReplyPlan& plan) {
  // The line schedules in whole milliseconds; rounding up never lets a reply start early.
  for (const Transmission& t : plan) line_.Send(t.bytes, (t.startUs + 999) / 1000, kByteTimeUs);
}

void MemoryUnitPeer::HangUp() { line_.HangUp(); }

bool MemoryUnitPeer::Replug(std::string& detail) {
  line_.Replug();
  detail.clear();
  return true;
}

}  // namespace endcap::sim
