// Injected faults, as the station sees them on the in-memory line.

#include <gtest/gtest.h>

#include "sim/control_commands.h"
#include "sim/register_names.h"
#include "tests/sim/memory_bench.h"

namespace endcap::sim::testing {
namespace {

using Bytes = Frame;

const Bytes kRead{0xFA, 0x04, 0x00, 0x02, 0x00, 0x03, 0x04, 0x40};
const Bytes kGoodReply{0xFA, 0x04, 0x06, 0x00, 0x01, 0x00, 0x02, 0x00, 0x61, 0x4A, 0x4F};
const Bytes kWriteLoop{0xFA, 0x06, 0x00, 0xDC, 0x01, 0xAA, 0xDC, 0x54};
const Bytes kReadLoop{0xFA, 0x04, 0x00, 0xDC, 0x00, 0x01, 0xE5, 0xBB};
const Bytes kLoopReads1AA{0xFA, 0x04, 0x02, 0x01, 0xAA, 0xDD, 0x0B};
const Bytes kLoopReads0{0xFA, 0x04, 0x02, 0x00, 0x00, 0x5C, 0xE4};

// Every byte the unit sends within 500 ms of the request, with its arrival time after it.
std::vector<std::pair<uint8_t, uint32_t>> Collect(MemoryBench& bench, const Bytes& request) {
  const uint32_t start = bench.clock.TickCount();
  bench.device.Write(request.data(), request.size());
  std::vector<std::pair<uint8_t, uint32_t>> got;
  while (bench.clock.TickCount() - start < 500) {
    uint8_t byte = 0;
    if (bench.device.ReadByte(byte, 10) == ReadStatus::Byte) got.emplace_back(byte, bench.clock.TickCount() - start);
  }
  return got;
}

TEST(SimFaults, NoReplyLosesTheReplyButTheRequestIsCarriedOut) {
  MemoryBench bench;
  bench.unit.InjectFault(Fault::NoReply, FaultMode::Once);
  // A request for another slave does not use the fault up.
  EXPECT_TRUE(bench.Exchange({0x01, 0x04, 0x00, 0x02, 0x00, 0x03, 0x11, 0xCB}).bytes.empty());
  EXPECT_TRUE(bench.Exchange(kWriteLoop).bytes.empty());
  EXPECT_EQ(bench.Exchange(kReadLoop).bytes, kLoopReads1AA);
}

TEST(SimFaults, AlwaysLastsUntilClearedAndANewReplyFaultReplacesTheOld) {
  MemoryBench bench;
  bench.unit.InjectFault(Fault::BadCrc, FaultMode::Always);
  const Bytes spoiled{0xFA, 0x04, 0x06, 0x00, 0x01, 0x00, 0x02, 0x00, 0x61, 0x4A, 0xB0};
  EXPECT_EQ(bench.Exchange(kRead).bytes, spoiled);
  EXPECT_EQ(bench.Exchange(kRead).bytes, spoiled);
  bench.unit.InjectFault(Fault::ShortReply, FaultMode::Once);
  EXPECT_EQ(bench.Exchange(kRead).bytes, (Bytes{0xFA, 0x04}));
  EXPECT_EQ(bench.Exchange(kRead).bytes, kGoodReply);
  bench.unit.InjectFault(Fault::NoReply, FaultMode::Always);
  bench.unit.ClearFaults();
  EXPECT_EQ(bench.Exchange(kRead).bytes, kGoodReply);
}

TEST(SimFaults, ExceptionReplyRefusesTheRequest) {
  MemoryBench bench;
  bench.unit.InjectFault(Fault::ExceptionReply, FaultMode::Once);
  EXPECT_EQ(bench.Exchange(kWriteLoop).bytes, (Bytes{0xFA, 0x86, 0x04, 0x32, 0x52}));
  EXPECT_EQ(bench.Exchange(kReadLoop).bytes, kLoopReads0);
  // Refused, function 70 leaves the board speaking Modbus.
  bench.unit.InjectFault(Fault::ExceptionReply, FaultMode::Always);
  EXPECT_EQ(bench.Exchange({0xFA, 0x46, 0x00, 0x00, 0xD1, 0x29}).bytes, (Bytes{0xFA, 0xC6, 0x04, 0x03, 0x92}));
  EXPECT_EQ(bench.unit.mode(), UnitMode::Modbus);
  EXPECT_EQ(bench.Exchange(kRead).bytes, (Bytes{0xFA, 0x84, 0x04, 0x33, 0x32}));
}

TEST(SimFaults, CutReplySendsHalfThenNothing) {
  MemoryBench bench;
  bench.unit.InjectFault(Fault::CutReply, FaultMode::Once);
  const auto got = Collect(bench, kRead);
  ASSERT_EQ(got.size(), 5u);
  for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i].first, kGoodReply[i]);
}

TEST(SimFaults, StalledReplyPausesBeyondTheStationsSilenceMidFrame) {
  MemoryBench bench;
  bench.unit.InjectFault(Fault::StalledReply, FaultMode::Once);
  const auto got = Collect(bench, kRead);
  ASSERT_EQ(got.size(), kGoodReply.size());
  for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i].first, kGoodReply[i]);
  // Five bytes from 11 ms, 80 ms of silence after the fifth one's end, then the other six.
  EXPECT_EQ(got[0].second, 11u);
  EXPECT_EQ(got[4].second, 15u);
  EXPECT_EQ(got[5].second, 96u);
  EXPECT_EQ(got[10].second, 101u);
}

TEST(SimFaults, NeverReadyStallsMeasurementsUntilTheNextStart) {
  MemoryBench bench;
  bench.unit.InjectFault(Fault::NeverReady, FaultMode::Once);
  bench.WriteSingle(reg::kMeasurement, 0);
  bench.clock.Advance(10000);
  EXPECT_EQ(bench.Read(reg::kMeasurementReady, 1), std::vector<uint16_t>{0});
  EXPECT_EQ(bench.ReadFloat(regs::kSecondPressure), -1000.0);
  EXPECT_NE(bench.unit.Describe().find("measurement=stuck"), std::string::npos);
  bench.Measure();
  EXPECT_EQ(bench.Read(reg::kMeasurementReady, 1), std::vector<uint16_t>{1});

  bench.unit.InjectFault(Fault::NeverReady, FaultMode::Always);
  for (int k = 0; k < 2; ++k) {
    bench.WriteSingle(reg::kMeasurement, 0);
    bench.clock.Advance(5000);
    EXPECT_EQ(bench.Read(reg::kMeasurementReady, 1), std::vector<uint16_t>{0});
  }
}

TEST(SimFaults, BrokenLoopLosesTheLoopedValue) {
  MemoryBench bench;
  bench.unit.InjectFault(Fault::BrokenLoop, FaultMode::Once);
  EXPECT_EQ(bench.Exchange(kWriteLoop).bytes, kWriteLoop);
  EXPECT_EQ(bench.Exchange(kReadLoop).bytes, kLoopReads0);
  bench.Exchange(kWriteLoop);
  EXPECT_EQ(bench.Exchange(kReadLoop).bytes, kLoopReads1AA);
}

TEST(SimFaults, SuppliesOutOfTheirWindowsAreWhatTheBoardMeasures) {
  MemoryBench bench;
  EXPECT_EQ(ExecuteCommand(bench.unit, &bench.peer, "supply 3.3 2.5"), "ok supply 3.3 2.500 V");
  EXPECT_EQ(ExecuteCommand(bench.unit, &bench.peer, "supply ext+12 13.5"), "ok supply ext+12 13.500 V");
  bench.WriteSingle(reg::kBoardSupplies, 0);
  EXPECT_FLOAT_EQ(bench.ReadFloat(regs::kBoard3V3), 2.5f);
  bench.WriteSingle(reg::kExternalSupply, 1);
  EXPECT_FLOAT_EQ(bench.ReadFloat(reg::kExternalSupplyVolts), 4.5f);
}

TEST(SimFaults, HangUpAndReplugTheMemoryLine) {
  MemoryBench bench;
  EXPECT_EQ(ExecuteCommand(bench.unit, &bench.peer, "hangup"), "ok hangup");
  EXPECT_TRUE(bench.Exchange(kRead).hungUp);
  EXPECT_EQ(ExecuteCommand(bench.unit, &bench.peer, "replug"), "ok replug");
  EXPECT_EQ(bench.Exchange(kRead).bytes, kGoodReply);
}

}  // namespace
}  // namespace endcap::sim::testing
