#pragma once
// Cuts the bytes a Modbus RTU slave receives into request frames.
//
// A frame ends as soon as its known length is in (every request function the unit knows has
// one), or at a silence of 3.5 character times, which ends any frame, so that a request of an
// unknown function or a burst of line noise still becomes one frame for the CRC to judge. After
// a frame whose length was known but whose CRC is wrong the framer has lost step: it drops
// everything until the next silence, as a real receiver does.

#include <cstdint>
#include <optional>

#include "protocol/modbus_frame.h"

namespace endcap::sim {

using Frame = modbus::Frame;

class RtuFramer {
public:
  // A complete frame when this byte ended one by its known length.
  std::optional<Frame> Push(uint8_t byte);
  // The line went silent: whatever was collected is one frame.
  std::optional<Frame> Silence();
  bool collecting() const { return !pending_.empty() || discarding_; }
  void Reset();

private:
  Frame pending_;
  bool discarding_ = false;
};

}  // namespace endcap::sim
