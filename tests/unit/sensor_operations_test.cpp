// Supply checks, measurements and the inclinometer calibration on a scripted unit.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "protocol/register_values.h"
#include "tests/unit/client_fixture.h"
#include "unit/conversions.h"

namespace endcap {
namespace {

using testing::Hex;
using testing::UnitClientTest;
using testing::ReadReply;

std::vector<uint16_t> Floats(std::initializer_list<float> values) {
  std::vector<uint16_t> regs;
  for (float v : values) {
    regs.push_back(static_cast<uint16_t>(FloatBits(v) >> 16));
    regs.push_back(static_cast<uint16_t>(FloatBits(v) & 0xFFFF));
  }
  return regs;
}

class SensorTest : public UnitClientTest {
protected:
  void QueueWriteEcho() { peer.QueueWithCrc(Hex("fa 06 00 00 00 00")); }
  void QueueUnlockAndEcho() {
    peer.QueueWithCrc(Hex("fa 41 42"));
    peer.QueueWithCrc(Hex("fa 10 00 00 00 01"));
  }
};

TEST_F(SensorTest, EnableAndDisableChangeOnlyTheirBit) {
  unit.enabledSensors = 1;
  QueueUnlockAndEcho();
  EXPECT_TRUE(EnableSensors(client, unit, 2));
  QueueUnlockAndEcho();
  EXPECT_TRUE(DisableSensors(client, unit, 1));
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_EQ(sent[1], "fa 10 00 00 00 01 02 00 03 91 65");
  EXPECT_EQ(sent[3], "fa 10 00 00 00 01 02 00 00 d1 64");
  EXPECT_EQ(unit.enabledSensors, 1);
}

TEST_F(SensorTest, BoardRailsPassAtTheWindowEdges) {
  QueueWriteEcho();
  peer.QueueWithCrc(ReadReply(Floats({-13.0f, 11.0f, 3.0f})));
  op.ExpectUnownedBox("Pass\r\n +12V = 11.00\r\n-12V = -13.00\r\n3.3V = 3.00", "Power supplies");
  EXPECT_TRUE(CheckPowerSupplies(client, op, limits, true));
  EXPECT_EQ(Sent()[0].substr(0, 17), "fa 06 00 d2 00 00");
  EXPECT_EQ(Sent()[1].substr(0, 17), "fa 04 00 d2 00 06");
}

TEST_F(SensorTest, BoardRailOutsideItsWindowFails) {
  QueueWriteEcho();
  peer.QueueWithCrc(ReadReply(Floats({-12.0f, 12.0f, 3.61f})));
  op.ExpectUnownedBox("FAIL!!\r\n +12V = 12.00\r\n-12V = -12.00\r\n3.3V = 3.61", "Power supplies");
  EXPECT_FALSE(CheckPowerSupplies(client, op, limits, true));
}

TEST_F(SensorTest, SilentUnitFailsTheSupplyCheckInsteadOfJudgingLeftovers) {
  QueueWriteEcho();
  peer.QueueSilence();
  EXPECT_FALSE(CheckPowerSupplies(client, op, limits, false));
}

TEST_F(SensorTest, ExternalSuppliesAreThreeTimesTheReading) {
  QueueWriteEcho();
  peer.QueueWithCrc(ReadReply(Floats({0.0f, 0.0f, -4.0f})));
  QueueWriteEcho();
  peer.QueueWithCrc(ReadReply(Floats({0.0f, 0.0f, 4.0f})));
  op.ExpectUnownedBox("Pass\r\n +12V = 12.00\r\n-12V = -12.00", "External supplies");
  EXPECT_TRUE(CheckExternalSupplies(client, op, limits, true));
  const auto sent = Sent();
  EXPECT_EQ(sent[0].substr(0, 17), "fa 06 00 c8 00 00");
  EXPECT_EQ(sent[2], "fa 06 00 c8 00 01 dc 7f");
}

TEST_F(SensorTest, ExternalSupplyFailSaysFail) {
  QueueWriteEcho();
  peer.QueueWithCrc(ReadReply(Floats({0.0f, 0.0f, -4.0f})));
  QueueWriteEcho();
  peer.QueueWithCrc(ReadReply(Floats({0.0f, 0.0f, 3.0f})));
  op.ExpectUnownedBox("Fail\r\n +12V = 9.00\r\n-12V = -12.00", "External supplies");
  EXPECT_FALSE(CheckExternalSupplies(client, op, limits, true));
}

TEST_F(SensorTest, ReadPitchRollStartsPollsAndConverts) {
  QueueWriteEcho();
  peer.QueueWithCrc(ReadReply({0}));
  peer.QueueWithCrc(ReadReply({0}));
  peer.QueueWithCrc(ReadReply({1}));
  peer.QueueWithCrc(ReadReply(Floats({0.1f, -0.2f})));
  const PitchRollReading r = ReadPitchRoll(client, true);
  EXPECT_TRUE(r.valid);
  EXPECT_DOUBLE_EQ(r.pitchDeg, static_cast<double>(0.1f) * 57.29577951471995);
  EXPECT_DOUBLE_EQ(r.rollDeg, static_cast<double>(-0.2f) * 57.29577951471995);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 5u);
  EXPECT_EQ(sent[0], "fa 06 01 2c 00 00 5c 74");
  EXPECT_EQ(sent[1], "fa 04 01 30 00 01 25 b2");
  EXPECT_EQ(sent[4], "fa 04 01 2c 00 04 24 77");
}

TEST_F(SensorTest, SilentUnitEndsTheReadyPollAtTheHandshakeThatFindsItGone) {
  EXPECT_FALSE(ReadPitchRoll(client, false).valid);
  EXPECT_EQ(Sent(), (std::vector<std::string>{"fa 04 01 30 00 01 25 b2", "fa 04 00 02 00 03 04 40"}));
}

// A measurement start that the unit refused or never acknowledged: the registers still hold
// the previous measurement, so nothing is read after it.
TEST_F(SensorTest, FailedMeasurementStartGivesAFailedReading) {
  const struct {
    const char* name;
    std::function<bool()> valid;
  } rows[] = {
      {"pitch and roll", [&] { return ReadPitchRoll(client, true).valid; }},
      {"pressure", [&] {
         const PressureReading reading = ReadPressure(client, true, true, 10);
         return !std::isnan(reading.psi) || reading.ready;
       }},
      {"raw counts", [&] {
         ReadInclinometerRaw(client, inclinometerRun, 0);
         return !inclinometerRun.rawSlots[0].readFailed;
       }},
  };
  for (const auto& row : rows) {
    const size_t before = Sent().size();
    peer.QueueWithCrc(Hex("fa 86 04"));
    EXPECT_FALSE(row.valid()) << row.name;
    EXPECT_EQ(Sent().size(), before + 1) << row.name;
  }
}

TEST_F(SensorTest, RawReadingIntoASlot) {
  inclinometerRun.rawSlots[3] = {7, 7};
  QueueWriteEcho();
  peer.QueueWithCrc(ReadReply({1}));
  peer.QueueWithCrc(ReadReply({0xFFF0, 1234}));
  ReadInclinometerRaw(client, inclinometerRun, 3);
  EXPECT_EQ(inclinometerRun.rawSlots[3].a, 0xFFF0);
  EXPECT_EQ(inclinometerRun.rawSlots[3].b, 1234);
  EXPECT_EQ(Sent()[2].substr(0, 17), "fa 04 01 31 00 02");
}

TEST_F(SensorTest, RawReadingOfSlotTenDoesNothing) {
  for (auto& slot : inclinometerRun.rawSlots) slot = {5, 6};
  ReadInclinometerRaw(client, inclinometerRun, 10);
  EXPECT_TRUE(peer.received().empty());
  for (const auto& slot : inclinometerRun.rawSlots) EXPECT_EQ(slot.a, 5);
}

class InclinometerCoefficientsTest : public SensorTest {
protected:
  // Level at four positions, then tilted by the pitch at the same four.
  void SetSlots(int a4, int a6) {
    const RawSlot slots[8] = {{1000, 2000}, {1002, 2002}, {1004, 2004}, {1006, 2006},
                              {a4, 2005},   {1003, 2900}, {a6, 2003},   {1003, 1100}};
    std::copy(slots, slots + 8, inclinometerRun.rawSlots);
  }
};

TEST_F(InclinometerCoefficientsTest, PassingCalibrationIsWrittenAsFourFloats) {
  SetSlots(1900, 100);
  QueueUnlockAndEcho();
  EXPECT_TRUE(ComputeInclinometerCal(client, inclinometerRun, 10.0));
  const double s = std::sin(10.0 * 0.011111111111111112 * 1.57079632675);
  EXPECT_DOUBLE_EQ(inclinometerRun.cal.offsetA, 1003.0);
  EXPECT_DOUBLE_EQ(inclinometerRun.cal.offsetB, 2003.0);
  EXPECT_DOUBLE_EQ(inclinometerRun.cal.gainA, 1800 * 0.5 / s);
  EXPECT_DOUBLE_EQ(inclinometerRun.cal.gainB, 1800 * 0.5 / s);
  EXPECT_TRUE(inclinometerRun.calRun);
  EXPECT_TRUE(inclinometerRun.calPassed);
  uint16_t regs[8];
  const double values[4] = {1003.0, 1800 * 0.5 / s, 2003.0, 1800 * 0.5 / s};
  for (int i = 0; i < 4; ++i) Int32ToRegisters(regs, 2 * i, FloatBits(static_cast<float>(values[i])));
  char expected[80];
  std::snprintf(expected, sizeof expected, "fa 10 00 78 00 08 10 %02x %02x %02x %02x", regs[0] >> 8, regs[0] & 0xFF,
                regs[1] >> 8, regs[1] & 0xFF);
  EXPECT_EQ(Sent()[1].substr(0, 32), expected);
  EXPECT_EQ(Sent()[1].size(), (7u + 16u + 2u) * 3 - 1);
}

TEST_F(InclinometerCoefficientsTest, ReversedAxisGivesANegativeGain) {
  SetSlots(1000, 2000);
  QueueUnlockAndEcho();
  EXPECT_TRUE(ComputeInclinometerCal(client, inclinometerRun, 10.0));
  EXPECT_LT(inclinometerRun.cal.gainA, 0.0);
}

TEST_F(InclinometerCoefficientsTest, CrossedAxisMovingMoreFailsAndWritesNothing) {
  SetSlots(1010, 1000);
  inclinometerRun.rawSlots[5].a = 0;
  inclinometerRun.rawSlots[7].a = 3000;
  EXPECT_FALSE(ComputeInclinometerCal(client, inclinometerRun, 10.0));
  EXPECT_TRUE(inclinometerRun.calRun);
  EXPECT_FALSE(inclinometerRun.calPassed);
  EXPECT_DOUBLE_EQ(inclinometerRun.cal.offsetA, 1003.0);
  EXPECT_TRUE(peer.received().empty());
}

TEST_F(InclinometerCoefficientsTest, ZeroPitchFailsInsteadOfDividingByZero) {
  SetSlots(1900, 100);
  EXPECT_FALSE(ComputeInclinometerCal(client, inclinometerRun, 0.0));
  EXPECT_TRUE(std::isfinite(inclinometerRun.cal.gainA));
  EXPECT_TRUE(peer.received().empty());
}

TEST_F(SensorTest, UnitCurrentIsWrittenToItsRegister) {
  unit.unitCurrentMa = 72;
  QueueUnlockAndEcho();
  EXPECT_TRUE(WriteUnitCurrent(client, unit));
  EXPECT_EQ(Sent()[1].substr(0, 26), "fa 10 00 87 00 01 02 00 48");
}

TEST_F(SensorTest, PressureWaitsForTheSecondValueToBeReady) {
  peer.QueueWithCrc(ReadReply(Floats({1.0f, -1000.0f})));
  peer.QueueWithCrc(ReadReply(Floats({14.5f, 2000.0f})));
  EXPECT_EQ(ReadPressure(client, true, false, 10).psi, 14.5);
  EXPECT_EQ(Sent().size(), 2u);
  peer.QueueWithCrc(ReadReply(Floats({14.5f, 2000.0f})));
  EXPECT_EQ(ReadPressure(client, false, false, 10).psi, 2000.0);
}

TEST_F(SensorTest, PressureNeverReadyReturnsOnceTheLimitHasPassed) {
  peer.QueueWithCrc(Hex("fa 06 01 2c 00 00"));
  for (int i = 0; i < 200; ++i) peer.QueueWithCrc(ReadReply(Floats({3.0f, -1000.0f})));
  const int64_t start = clock.WholeSeconds();
  EXPECT_EQ(ReadPressure(client, false, true, 10).psi, -1000.0);
  EXPECT_EQ(clock.WholeSeconds() - start, 10);
  EXPECT_EQ(Sent()[0].substr(0, 17), "fa 06 01 2c 00 00");
}

TEST_F(SensorTest, PressureOfASilentUnitIsNotANumber) {
  EXPECT_TRUE(std::isnan(ReadPressure(client, true, false, 2).psi));
}

TEST_F(SensorTest, PressureKeepsTheValuesOfTheLastReadThatSucceeded) {
  peer.QueueWithCrc(ReadReply(Floats({2.5f, -1000.0f})));
  auto damaged = testing::WithCrc(ReadReply(Floats({9.0f, -900.0f})));
  damaged.back() ^= 0x01;
  peer.Queue(damaged);
  // The rest of the wait is silent.
  EXPECT_EQ(ReadPressure(client, true, false, 3).psi, 2.5);
  EXPECT_GE(Sent().size(), 3u);
}

// The device goes away under a measurement: the wait ends with the exchange that found it
// gone, without trying to open the port again and again until its time limit.
TEST_F(SensorTest, AnUnpluggedDeviceEndsEveryMeasurementWaitAtOnce) {
  const struct {
    const char* name;
    std::function<bool()> valid;
  } rows[] = {
      {"pitch and roll", [&] { return ReadPitchRoll(client, false).valid; }},
      {"pressure", [&] { return !std::isnan(ReadPressure(client, true, false, 10).psi); }},
      {"raw counts", [&] {
         ReadInclinometerRaw(client, inclinometerRun, 0);
         return inclinometerRun.rawSlots[0].a != 0;
       }},
  };
  for (const auto& row : rows) {
    line.Replug();
    ASSERT_TRUE(port.Open());
    const int opens = ports.openCount();
    line.HangUp();
    const uint64_t before = clock.ElapsedMs();
    EXPECT_FALSE(row.valid()) << row.name;
    EXPECT_LE(clock.ElapsedMs() - before, 300u) << row.name;
    EXPECT_LE(ports.openCount() - opens, 1) << row.name;
    EXPECT_FALSE(port.isOpen) << row.name;
  }
}

}  // namespace
}  // namespace endcap
