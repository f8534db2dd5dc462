#pragma once
// The far end of a MemoryLine for protocol tests: answers each write from the station with the
// next scripted reply (or silence), and records the frames it was sent.

#include <deque>
#include <vector>

#include "serial/memory_device.h"
#include "tests/support/frame_text.h"

namespace endcap::testing {

class ScriptedPeer : public LinePeer {
public:
  explicit ScriptedPeer(MemoryLine& line) : line_(line) { line_.SetPeer(this); }
  ~ScriptedPeer() override { line_.SetPeer(nullptr); }

  struct Reply {
    std::vector<uint8_t> bytes;  // empty: stay silent
    uint32_t delayMs = 5;
  };
  void Queue(std::vector<uint8_t> bytes, uint32_t delayMs = 5) { replies_.push_back({std::move(bytes), delayMs}); }
  // Appends the CRC-16/MODBUS of bytes, low byte first.
  void QueueWithCrc(std::vector<uint8_t> bytes, uint32_t delayMs = 5);
  void QueueSilence() { replies_.push_back({}); }

  void OnHostBytes(const uint8_t* data, size_t size) override;
  const std::vector<std::vector<uint8_t>>& received() const { return received_; }
  std::vector<uint32_t> receivedAtTick;

private:
  MemoryLine& line_;
  std::deque<Reply> replies_;
  std::vector<std::vector<uint8_t>> received_;
};

// The far end of a line that only echoes what the station sends: a converter with local echo
// and no unit behind it.
class EchoPeer : public LinePeer {
public:
  explicit EchoPeer(MemoryLine& line) : line_(line) { line_.SetPeer(this); }
  ~EchoPeer() override { line_.SetPeer(nullptr); }
  void OnHostBytes(const uint8_t* data, size_t size) override { line_.Send({data, data + size}, 1); }

private:
  MemoryLine& line_;
};

std::vector<uint8_t> WithCrc(std::vector<uint8_t> bytes);
// The unit's reply to a read of these register values: fa 04 count values..., without CRC.
std::vector<uint8_t> ReadReply(const std::vector<uint16_t>& values);

}  // namespace endcap::testing
