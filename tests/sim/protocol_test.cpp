// The simulated unit's Modbus slave, byte for byte, on an in-memory line and a virtual clock.

#include <gtest/gtest.h>

#include <string>

#include "protocol/register_values.h"
#include "sim/register_names.h"
#include "tests/sim/memory_bench.h"

namespace endcap::sim::testing {
namespace {

using Bytes = Frame;

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

const Bytes kRead{0xFA, 0x04, 0x00, 0x02, 0x00, 0x03, 0x04, 0x40};
const Bytes kUnlock{0xFA, 0x41, 0x16, 0xC3, 0x2E, 0xD9};
const Bytes kUnlocked{0xFA, 0x41, 0x42, 0xE1, 0x90};
const Bytes kWriteBoardSerial{0xFA, 0x10, 0x00, 0x08, 0x00, 0x02, 0x04, 0x12, 0x34, 0x56, 0x07, 0xEE, 0xFA};
const Bytes kLocked{0xFA, 0x90, 0x01, 0xFC, 0x31};
const Bytes kBootLoader{0xFA, 0x46, 0x00, 0x00, 0xD1, 0x29};

TEST(SimProtocol, ReadsThreeRegistersFromTwoAtTheLineRate) {
  MemoryBench bench;
  const Reply reply = bench.Exchange(kRead);
  EXPECT_EQ(reply.bytes, (Bytes{0xFA, 0x04, 0x06, 0x00, 0x01, 0x00, 0x02, 0x00, 0x61, 0x4A, 0x4F}));
  // 8 request bytes of 1.042 ms and a 2 ms turnaround, rounded up to the millisecond; then ten
  // more bytes of 1.042 ms.
  EXPECT_EQ(reply.firstByteMs, 11u);
  EXPECT_EQ(reply.lastByteMs, 21u);
}

TEST(SimProtocol, WriteSingleEchoesAndTheLoopRegisterReadsBackTheWholeValue) {
  MemoryBench bench;
  const Bytes request{0xFA, 0x06, 0x00, 0xDC, 0x01, 0xAA, 0xDC, 0x54};
  EXPECT_EQ(bench.Exchange(request).bytes, request);
  EXPECT_EQ(bench.Exchange({0xFA, 0x04, 0x00, 0xDC, 0x00, 0x01, 0xE5, 0xBB}).bytes,
            (Bytes{0xFA, 0x04, 0x02, 0x01, 0xAA, 0xDD, 0x0B}));
}

TEST(SimProtocol, OneUnlockAllowsOneWriteMultiple) {
  MemoryBench bench;
  const Bytes readBoardSerial{0xFA, 0x04, 0x00, 0x08, 0x00, 0x02, 0xE5, 0x82};
  EXPECT_EQ(bench.Exchange(kWriteBoardSerial).bytes, kLocked);
  EXPECT_EQ(bench.Exchange(readBoardSerial).bytes, (Bytes{0xFA, 0x04, 0x04, 0xFF, 0xFF, 0xFF, 0xFF, 0xB0, 0xDF}));
  EXPECT_EQ(bench.Exchange(kUnlock).bytes, kUnlocked);
  EXPECT_EQ(bench.Exchange(kWriteBoardSerial).bytes, (Bytes{0xFA, 0x10, 0x00, 0x08, 0x00, 0x02, 0xD5, 0x81}));
  EXPECT_EQ(bench.Exchange(readBoardSerial).bytes, (Bytes{0xFA, 0x04, 0x04, 0x12, 0x34, 0x56, 0x07, 0x8B, 0x9F}));
  EXPECT_EQ(bench.Exchange(kWriteBoardSerial).bytes, kLocked);
  // A refused write uses the unlock up too (201 is not writable).
  bench.Exchange(kUnlock);
  EXPECT_EQ(bench.Exchange({0xFA, 0x10, 0x00, 0xC8, 0x00, 0x02, 0x04, 0x00, 0x01, 0x00, 0x00, 0x89, 0xBE}).bytes,
            (Bytes{0xFA, 0x90, 0x02, 0xBC, 0x30}));
  EXPECT_FALSE(bench.unit.unlocked());
}

TEST(SimProtocol, AWrongAccessCodeAndReleaseLock) {
  MemoryBench bench;
  bench.Exchange(kUnlock);
  EXPECT_EQ(bench.Exchange({0xFA, 0x41, 0x00, 0x00, 0x60, 0xE8}).bytes, (Bytes{0xFA, 0xC1, 0x03, 0x40, 0x60}));
  EXPECT_FALSE(bench.unit.unlocked());
  bench.Exchange(kUnlock);
  // The board test keeps the unlock; the release ends it.
  EXPECT_EQ(bench.Exchange({0xFA, 0x45, 0x00, 0x00, 0x21, 0x29}).bytes, (Bytes{0xFA, 0x45, 0x42, 0xE3, 0x50}));
  EXPECT_TRUE(bench.unit.unlocked());
  EXPECT_EQ(bench.Exchange({0xFA, 0x42, 0x00, 0x00, 0x90, 0xE8}).bytes, (Bytes{0xFA, 0x42, 0x42, 0xE1, 0x60}));
  EXPECT_FALSE(bench.unit.unlocked());
}

TEST(SimProtocol, ExceptionReplies) {
  MemoryBench bench;
  // Unknown function: its frame ends at the silence after the write.
  EXPECT_EQ(bench.Exchange({0xFA, 0x03, 0x00, 0x00, 0x00, 0x01, 0x91, 0x81}).bytes,
            (Bytes{0xFA, 0x83, 0x01, 0xF1, 0x01}));
  // Register 23, then 20-24 running past the identity block, then a write to the fitted sensors.
  EXPECT_EQ(bench.Exchange({0xFA, 0x04, 0x00, 0x17, 0x00, 0x01, 0x94, 0x45}).bytes,
            (Bytes{0xFA, 0x84, 0x02, 0xB3, 0x30}));
  EXPECT_EQ(bench.Exchange({0xFA, 0x04, 0x00, 0x14, 0x00, 0x05, 0x65, 0x86}).bytes,
            (Bytes{0xFA, 0x84, 0x02, 0xB3, 0x30}));
  EXPECT_EQ(bench.Exchange({0xFA, 0x06, 0x00, 0x01, 0x00, 0x05, 0x0D, 0x82}).bytes,
            (Bytes{0xFA, 0x86, 0x02, 0xB2, 0x50}));
  // A count of 0, and channel 2 for the external supply.
  EXPECT_EQ(bench.Exchange({0xFA, 0x04, 0x00, 0x00, 0x00, 0x00, 0xE5, 0x81}).bytes,
            (Bytes{0xFA, 0x84, 0x03, 0x72, 0xF0}));
  EXPECT_EQ(bench.Exchange({0xFA, 0x06, 0x00, 0xC8, 0x00, 0x02, 0x9C, 0x7E}).bytes,
            (Bytes{0xFA, 0x86, 0x03, 0x73, 0x90}));
}

TEST(SimProtocol, EveryBlockTheStationReadsIsInTheMap) {
  MemoryBench bench;
  using namespace regs;
  const std::pair<uint16_t, uint16_t> reads[] = {{kEnabledSensors, kIdentityCount},
                                                 {kInclinometerAccuracy, kSettingsCount},
                                                 {kPressureFullScale, kPressureSettingsCount},
                                                 {kDevTestValue, kFloatRegs},
                                                 {kExternalSupply, kExternalSupplyCount},
                                                 {kBoardSupplies, kBoardSuppliesCount},
                                                 {kRs485Loop, 1},
                                                 {kMeasurement, kMeasurementEnd - kMeasurement},
                                                 {kCalRecords, kCalRecordsEnd - kCalRecords}};
  for (const auto& [first, count] : reads) EXPECT_EQ(bench.Read(first, count).size(), count) << first;
}

TEST(SimProtocol, IdentityOfAFreshFactoryBoard) {
  MemoryBench bench;
  const std::vector<uint16_t> id = bench.Read(reg::kEnabledSensors, reg::kIdentityCount);
  ASSERT_EQ(id.size(), reg::kIdentityCount);
  EXPECT_EQ((std::vector<uint16_t>(id.begin(), id.begin() + 5)), (std::vector<uint16_t>{3, 3, 1, 2, 'a'}));
  EXPECT_EQ(SerialFromRegisters(id[reg::kUnitSerial], id[reg::kUnitSerial + 1]), "000000-000");
  EXPECT_EQ(id[reg::kModbusAddress], reg::kUnitAddress);
  for (uint16_t value : bench.Read(reg::kCalRecords, reg::kCalRecordSize * reg::kCalRecordSlots)) EXPECT_EQ(value, 0xFFFF);
}

TEST(SimProtocol, ConfiguredSerials) {
  UnitConfig config;
  ASSERT_TRUE(EncodeSerial("123456-007", config.unitSerial[0], config.unitSerial[1]));
  ASSERT_TRUE(EncodeSerial("E23456-042", config.boardSerial[0], config.boardSerial[1]));
  MemoryBench bench(config);
  EXPECT_EQ(bench.Read(reg::kUnitSerial, 2), (std::vector<uint16_t>{0x1234, 0x5607}));
  EXPECT_EQ(bench.Read(reg::kBoardSerial, 2), (std::vector<uint16_t>{0xE234, 0x5642}));
  for (const char* text : {"12345-007", "123456-107", "123456_007", "A23456-007", "123456-0a7", "1234567-007"})
    EXPECT_FALSE(EncodeSerial(text, config.unitSerial[0], config.unitSerial[1])) << text;
}

TEST(SimProtocol, RequestsForAnotherSlaveOrWithABadCrcAreIgnored) {
  MemoryBench bench;
  EXPECT_TRUE(bench.Exchange({0x01, 0x04, 0x00, 0x02, 0x00, 0x03, 0x11, 0xCB}).bytes.empty());
  EXPECT_TRUE(bench.Exchange({0xFA, 0x04, 0x00, 0x02, 0x00, 0x03, 0x04, 0x41}).bytes.empty());
  EXPECT_EQ(bench.Exchange(kRead).bytes.size(), 11u);
}

TEST(SimFraming, ARequestInPiecesIsAnsweredOnceComplete) {
  VirtualClock clock;
  SimulatedUnit unit(clock);
  EXPECT_TRUE(unit.OnBytes(kRead.data(), 5).empty());
  EXPECT_TRUE(unit.ExpectsMore());
  const ReplyPlan plan = unit.OnBytes(kRead.data() + 5, 3);
  ASSERT_EQ(plan.size(), 1u);
  EXPECT_EQ(plan[0].bytes.size(), 11u);
  EXPECT_EQ(plan[0].startUs, 8 * kByteTimeUs + kTurnaroundUs);
  EXPECT_FALSE(unit.ExpectsMore());
}

TEST(SimFraming, AfterABadFrameTheRestOfTheBurstIsDropped) {
  VirtualClock clock;
  SimulatedUnit unit(clock);
  // A read request's shape with a broken CRC, then the start of another.
  const uint8_t noise[] = {0xFA, 0x04, 0x00, 0x02, 0x00, 0x03, 0x00, 0x00, 0xFA, 0x04, 0x00, 0x02, 0x00, 0x03, 0x04, 0x40};
  EXPECT_TRUE(unit.OnBytes(noise, sizeof noise).empty());
  EXPECT_TRUE(unit.OnSilence().empty());
  EXPECT_EQ(unit.OnBytes(kRead.data(), kRead.size()).size(), 1u);
}

TEST(SimMeasurement, StartAndPoll) {
  MemoryBench bench;
  bench.clock.Advance(1000);  // past the power-up measurement
  const Bytes start{0xFA, 0x06, 0x01, 0x2C, 0x00, 0x00, 0x5C, 0x74};
  EXPECT_EQ(bench.Exchange(start).bytes, start);
  // 304 not ready, 305-306 still the level counts the board measured at power-up, both pressures
  // -1000.
  EXPECT_EQ(bench.Exchange({0xFA, 0x04, 0x01, 0x30, 0x00, 0x07, 0xA5, 0xB0}).bytes,
            (Bytes{0xFA, 0x04, 0x0E, 0x00, 0x00, 0x80, 0x89, 0x7F, 0x81, 0xC4, 0x7A, 0x00, 0x00, 0xC4, 0x7A, 0x00, 0x00,
                   0x8F, 0xC6}));
  bench.clock.Advance(kDefaultMeasureDelayMs);
  EXPECT_EQ(bench.Exchange({0xFA, 0x04, 0x01, 0x30, 0x00, 0x01, 0x25, 0xB2}).bytes,
            (Bytes{0xFA, 0x04, 0x02, 0x00, 0x01, 0x9D, 0x24}));
}

TEST(SimMeasurement, ReadyExactlyTheDelayAfterTheStart) {
  for (const uint32_t delayMs : {kDefaultMeasureDelayMs, 400u}) {
    UnitConfig config;
    config.measureDelayMs = delayMs;
    MemoryBench bench(config);
    const uint32_t started = bench.clock.TickCount();
    bench.WriteSingle(reg::kMeasurement, 0);
    bench.clock.Advance(started + delayMs - 1 - bench.clock.TickCount());
    EXPECT_EQ(bench.Read(reg::kMeasurementReady, 1), std::vector<uint16_t>{0}) << delayMs;
    bench.clock.Advance(1);
    EXPECT_EQ(bench.Read(reg::kMeasurementReady, 1), std::vector<uint16_t>{1}) << delayMs;
  }
  EXPECT_EQ(kDefaultMeasureDelayMs, 150u);
}

TEST(SimMeasurement, OnlyFittedAndEnabledSensorsAreMeasured) {
  UnitConfig config;
  config.fittedSensors = reg::kSensorInclinometer;
  MemoryBench inclinometerOnly(config);
  inclinometerOnly.WriteMultiple(reg::kEnabledSensors, {reg::kSensorInclinometer | reg::kSensorStrainGauge});
  inclinometerOnly.Measure();
  EXPECT_EQ(inclinometerOnly.ReadFloat(regs::kSecondPressure), -1000.0);

  MemoryBench gaugeOnly;
  gaugeOnly.WriteMultiple(reg::kEnabledSensors, {reg::kSensorStrainGauge});
  gaugeOnly.unit.SetTilt(5.0);
  gaugeOnly.Measure();
  gaugeOnly.clock.Advance(1000);  // the gauge's warm-up
  EXPECT_EQ(gaugeOnly.Read(regs::kRawA, 2), (std::vector<uint16_t>{0, 0}));
  EXPECT_EQ(gaugeOnly.ReadFloat(regs::kPitch), 0.0);
  EXPECT_GT(gaugeOnly.ReadFloat(regs::kSecondPressure), -500.0);
}

TEST(SimSupplies, MeasuredWhenStartedOrSelected) {
  MemoryBench bench;
  bench.unit.SetSupply(Supply::Board3V3, 2.9);
  EXPECT_FLOAT_EQ(bench.ReadFloat(regs::kBoard3V3), 3.29f);  // still the power-up measurement
  EXPECT_EQ(bench.Exchange({0xFA, 0x06, 0x00, 0xD2, 0x00, 0x00, 0x3C, 0x78}).bytes,
            (Bytes{0xFA, 0x06, 0x00, 0xD2, 0x00, 0x00, 0x3C, 0x78}));
  EXPECT_FLOAT_EQ(bench.ReadFloat(regs::kBoardMinus12), -12.04f);
  EXPECT_FLOAT_EQ(bench.ReadFloat(regs::kBoardPlus12), 12.03f);
  EXPECT_FLOAT_EQ(bench.ReadFloat(regs::kBoard3V3), 2.9f);

  EXPECT_FLOAT_EQ(bench.ReadFloat(reg::kExternalSupplyVolts), static_cast<float>(-11.97 / 3.0));
  EXPECT_EQ(bench.Exchange({0xFA, 0x06, 0x00, 0xC8, 0x00, 0x01, 0xDC, 0x7F}).bytes,
            (Bytes{0xFA, 0x06, 0x00, 0xC8, 0x00, 0x01, 0xDC, 0x7F}));
  const std::vector<uint16_t> values = bench.Read(reg::kExternalSupply, reg::kExternalSupplyCount);
  ASSERT_EQ(values.size(), 6u);
  EXPECT_EQ(RegistersToInt32(values.data(), 0), 1);
  EXPECT_FLOAT_EQ(RegistersToFloat(values.data(), 2), 12.06f);
  EXPECT_FLOAT_EQ(RegistersToFloat(values.data(), 4), static_cast<float>(12.06 / 3.0));
}

TEST(SimProtocol, PowerCycleKeepsTheMemoryAndForgetsTheRest) {
  MemoryBench bench;
  bench.WriteMultiple(reg::kInclinometerSamples, {25, 30, 15, 80});
  bench.WriteSingle(reg::kRs485Loop, 0x155);
  bench.Exchange(kUnlock);
  bench.unit.PowerCycle();
  EXPECT_FALSE(bench.unit.unlocked());
  EXPECT_EQ(bench.Read(reg::kInclinometerSamples, 4), (std::vector<uint16_t>{25, 30, 15, 80}));
  EXPECT_EQ(bench.Read(reg::kRs485Loop, 1), std::vector<uint16_t>{0});
}

TEST(SimBootLoader, FunctionSeventyHasNoReplyAndTheBoardThenChecksEachLine) {
  MemoryBench bench;
  EXPECT_TRUE(bench.Exchange(kBootLoader).bytes.empty());
  EXPECT_EQ(bench.unit.mode(), UnitMode::BootLoader);
  const Reply good = bench.Exchange(Text(":10010000214601360121470136007EFE09D2190140\n"));
  EXPECT_EQ(good.bytes, Text("OK\r\n"));
  EXPECT_EQ(good.firstByteMs, 48u);  // 44 characters of 1.042 ms and the turnaround
  EXPECT_EQ(bench.Exchange(Text(":00000001FF\r\n")).bytes, Text("OK\r\n"));
  EXPECT_EQ(bench.Exchange(Text(":10010000214601360121470136007EFE09D2190141\n")).bytes, Text("ERR CHECKSUM\r\n"));
  EXPECT_EQ(bench.Exchange(Text("hello\n")).bytes, Text("ERR FORMAT\r\n"));
  EXPECT_EQ(bench.Exchange(Text(":0200000400\n")).bytes, Text("ERR FORMAT\r\n"));
  EXPECT_EQ(bench.Exchange(Bytes(257, '0')).bytes, Text("ERR LENGTH\r\n"));
  EXPECT_NE(bench.unit.Describe().find("records=2 bad=4"), std::string::npos);
}

TEST(SimBootLoader, APieceOfALineIsAnsweredWithTheRest) {
  MemoryBench bench;
  bench.Exchange(kBootLoader);
  const std::string record = ":10010000214601360121470136007EFE09D2190140";
  EXPECT_TRUE(bench.Exchange(Text(record.substr(0, 20))).bytes.empty());
  EXPECT_EQ(bench.Exchange(Text(record.substr(20) + "\n")).bytes, Text("OK\r\n"));
}

TEST(SimBootLoader, ModbusIsIgnoredUntilThePowerCycle) {
  MemoryBench bench;
  bench.Exchange(kBootLoader);
  EXPECT_TRUE(bench.Exchange(kRead).bytes.empty());
  bench.unit.PowerCycle();
  EXPECT_EQ(bench.unit.mode(), UnitMode::Modbus);
  EXPECT_EQ(bench.Exchange(kRead).bytes.size(), 11u);
}

}  // namespace
}  // namespace endcap::sim::testing
