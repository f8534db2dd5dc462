#include "sim/rtu_framer.h"

#include "protocol/modbus_frame.h"

namespace endcap::sim {

std::optional<Frame> RtuFramer::Push(uint8_t byte) {
  if (discarding_) return std::nullopt;
  pending_.push_back(byte);
  const int length = modbus::RequestLength(pending_.data(), pending_.size());
  if (length <= 0 || pending_.size() < static_cast<size_t>(length)) return std::nullopt;
  Frame frame;
  frame.swap(pending_);
  if (!modbus::CrcMatches(frame.data(), frame.size())) discarding_ = true;
  return frame;
}

std::optional<Frame> RtuFramer::Silence() {
  discarding_ = false;
  if (pending_.empty()) return std::nullopt;
  Frame frame;
  frame.swap(pending_);
  return frame;
}

void RtuFramer::Reset() {
  pending_.clear();
  discarding_ = false;
}

}  // namespace endcap::sim
