#include "tests/sim/memory_bench.h"

#include <gtest/gtest.h>

#include <array>

#include "protocol/crc.h"
#include "protocol/register_map.h"
#include "protocol/register_values.h"

namespace endcap::sim::testing {

namespace {

constexpr uint32_t kReplySilenceMs = 50;
constexpr uint32_t kNoReplyMs = 1000;

void AppendWord(Frame& frame, uint16_t value) {
  frame.push_back(static_cast<uint8_t>(value >> 8));
  frame.push_back(static_cast<uint8_t>(value & 0xFF));
}

// Address, function and two 16-bit fields: the shape of functions 4, 6 and 16's header.
Frame Request(uint8_t function, uint16_t first, uint16_t second) {
  Frame request{reg::kUnitAddress, function};
  AppendWord(request, first);
  AppendWord(request, second);
  return request;
}

}  // namespace

MemoryBench::MemoryBench(UnitConfig config) : unit(clock, config) {}

Reply MemoryBench::Exchange(const Frame& request) {
  const uint32_t start = clock.TickCount();
  Reply reply;
  // Only an unplugged line refuses a write.
  if (!device.Write(request.data(), request.size())) {
    reply.hungUp = true;
    return reply;
  }
  for (uint32_t last = start;;) {
    uint8_t byte = 0;
    const ReadStatus status = device.ReadByte(byte, 10);
    const uint32_t now = clock.TickCount();
    reply.hungUp = status == ReadStatus::HungUp;
    if (status == ReadStatus::Byte) {
      if (reply.bytes.empty()) reply.firstByteMs = now - start;
      reply.bytes.push_back(byte);
      reply.lastByteMs = now - start;
      last = now;
    } else if (reply.hungUp || (reply.bytes.empty() ? now - start >= kNoReplyMs : now - last > kReplySilenceMs)) {
      return reply;
    }
  }
}

Frame MemoryBench::Transact(Frame body) {
  const auto crc = ComputeCrc(body.data(), body.size());
  body.insert(body.end(), crc.begin(), crc.end());
  Frame reply = Exchange(body).bytes;
  if (reply.size() < 3 || ComputeCrc(reply.data(), reply.size() - 2) != std::array{reply[reply.size() - 2], reply.back()})
    return {};
  reply.resize(reply.size() - 2);
  return reply;
}

std::vector<uint16_t> MemoryBench::Read(uint16_t first, uint16_t count) {
  const Frame reply = Transact(Request(reg::kReadInputRegisters, first, count));
  if (reply.size() != 3u + 2u * count || reply[1] != reg::kReadInputRegisters) {
    ADD_FAILURE() << "read of " << count << " from " << first << " failed";
    return {};
  }
  std::vector<uint16_t> values;
  for (size_t at = 3; at < reply.size(); at += 2) values.push_back(static_cast<uint16_t>(reply[at] << 8 | reply[at + 1]));
  return values;
}

double MemoryBench::ReadFloat(uint16_t reg) {
  const std::vector<uint16_t> values = Read(reg, 2);
  return values.size() == 2 ? RegistersToFloat(values.data(), 0) : 0.0;
}

void MemoryBench::WriteSingle(uint16_t reg, uint16_t value) {
  const Frame request = Request(reg::kWriteSingleRegister, reg, value);
  EXPECT_EQ(Transact(request), request) << "write of " << value << " to " << reg;
}

void MemoryBench::WriteMultiple(uint16_t first, const std::vector<uint16_t>& values) {
  const Frame unlock{reg::kUnitAddress, reg::kUnlockFunction, reg::kAccessCode >> 8, reg::kAccessCode & 0xFF};
  ASSERT_EQ(Transact(unlock), (Frame{reg::kUnitAddress, reg::kUnlockFunction, reg::kControlReplyMark}));
  const Frame header = Request(reg::kWriteMultipleRegisters, first, static_cast<uint16_t>(values.size()));
  Frame request = header;
  request.push_back(static_cast<uint8_t>(2 * values.size()));
  for (uint16_t v : values) AppendWord(request, v);
  EXPECT_EQ(Transact(request), header) << "write of " << values.size() << " from " << first;
}

void MemoryBench::WriteFloats(uint16_t first, const std::vector<double>& values) {
  std::vector<uint16_t> regs(2 * values.size());
  for (size_t k = 0; k < values.size(); ++k)
    Int32ToRegisters(regs.data(), static_cast<int>(2 * k), FloatBits(static_cast<float>(values[k])));
  WriteMultiple(first, regs);
}

void MemoryBench::Measure() {
  WriteSingle(reg::kMeasurement, 0);
  for (int poll = 0; poll < 100; ++poll) {
    const std::vector<uint16_t> ready = Read(reg::kMeasurementReady, 1);
    if (ready.empty() || ready[0] != 0) return;
    clock.Advance(140);  // the station's pauses before each request
  }
  ADD_FAILURE() << "the measurement never became ready";
}

}  // namespace endcap::sim::testing
