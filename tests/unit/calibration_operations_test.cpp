// The unit-object operations of the two calibrations: the check tolerance, the strain-gauge
// coefficients and their questions, the bench data prompts, and the inclinometer calibration's
// refusal of counts that never came or an axis that did not move.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "protocol/register_values.h"
#include "tests/unit/link_fixture.h"

namespace endcap {
namespace {

using testing::LinkTest;
using testing::ReadReply;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST_F(LinkTest, InclinometerToleranceBySizeOfTheAngle) {
  const struct {
    double angle;
    double tolerance;
  } rows[] = {{0.0, 0.05}, {14.99, 0.05}, {15.0, 0.2}, {-15.0, 0.2}, {45.99, 0.2}, {46.0, 46.0}, {-60.0, 60.0}};
  for (const auto& row : rows) EXPECT_DOUBLE_EQ(link.InclinometerTolerance(row.angle), row.tolerance) << row.angle;
  EXPECT_FALSE(std::fabs(1.0) <= link.InclinometerTolerance(kNaN));
}

class PressureCalTest : public LinkTest {
protected:
  void QueueUnlockAndEcho() {
    peer.QueueWithCrc({0xFA, 0x41, 'B'});
    peer.QueueWithCrc({0xFA, 0x10, 0x00, 0x88, 0x00, 0x04});
  }
  MessageBox OffsetQuestion(const char* value) {
    return UnownedBox(std::string("An offset value of ") + value +
                          " is excessive\r\nNormal would  be approx 14Accept it as OK?",
                      "ERROR", BoxButtons::YesNo);
  }
  MessageBox ScaleQuestion(const char* value) {
    return UnownedBox(std::string("An Scale value of ") + value + " is excessive\r\nAccept it as OK?", "ERROR",
                      BoxButtons::YesNo);
  }
};

TEST_F(PressureCalTest, ValuesOnTheBoundsAreWrittenWithoutAQuestion) {
  // atmosphere 0: the offset is minus the zero reading; high - zero is 1: the scale is the applied.
  const struct {
    double zero, applied;
  } rows[] = {{-5.0, 0.9}, {-25.0, 1.1}};
  for (const auto& row : rows) {
    QueueUnlockAndEcho();
    EXPECT_TRUE(link.ComputePressureCal(row.zero, row.applied, row.zero + 1.0, 0.0));
    uint16_t regs[4];
    Int32ToRegisters(regs, 0, FloatBits(static_cast<float>(-row.zero)));
    Int32ToRegisters(regs, 2, FloatBits(static_cast<float>(row.applied)));
    const std::string frame = Sent().back();
    EXPECT_EQ(frame.substr(0, 20), "fa 10 00 88 00 04 08");
    char values[40];
    std::snprintf(values, sizeof values, "%02x %02x %02x %02x %02x %02x %02x %02x", regs[0] >> 8, regs[0] & 0xFF,
                  regs[1] >> 8, regs[1] & 0xFF, regs[2] >> 8, regs[2] & 0xFF, regs[3] >> 8, regs[3] & 0xFF);
    EXPECT_EQ(frame.substr(21, 23), values);
  }
  EXPECT_TRUE(link.strainGaugeCalRun);
}

TEST_F(PressureCalTest, RejectedOffsetStillAsksAboutTheScaleAndWritesNothing) {
  op.ExpectMessage(OffsetQuestion("4.990"), BoxAnswer::No);
  op.ExpectMessage(ScaleQuestion("1.200"), BoxAnswer::Yes);
  EXPECT_FALSE(link.ComputePressureCal(-4.99, 1.2, -3.99, 0.0));
  EXPECT_TRUE(peer.received().empty());
  EXPECT_FALSE(link.strainGaugeCalRun);
}

TEST_F(PressureCalTest, RejectedScaleEndsAtOnce) {
  op.ExpectMessage(ScaleQuestion("0.899"), BoxAnswer::No);
  EXPECT_FALSE(link.ComputePressureCal(-14.0, 0.899, -13.0, 0.0));
  EXPECT_TRUE(peer.received().empty());
}

TEST_F(PressureCalTest, AcceptedValuesOutOfRangeAreWritten) {
  op.ExpectMessage(OffsetQuestion("30.000"), BoxAnswer::Yes);
  QueueUnlockAndEcho();
  EXPECT_TRUE(link.ComputePressureCal(-30.0, 1.0, -29.0, 0.0));
  EXPECT_EQ(Sent().size(), 2u);
}

TEST_F(PressureCalTest, ValuesThatAreNotNumbersAreNeverWrittenWhateverTheAnswers) {
  // A unit that gave no zero reading.
  op.ExpectMessage(OffsetQuestion("nan"), BoxAnswer::Yes);
  op.ExpectMessage(ScaleQuestion("nan"), BoxAnswer::Yes);
  EXPECT_FALSE(link.ComputePressureCal(kNaN, 1200.0, 1150.0, 1013.25));
  // A high reading equal to the zero reading.
  op.ExpectMessage(ScaleQuestion("inf"), BoxAnswer::Yes);
  EXPECT_FALSE(link.ComputePressureCal(0.0, 1200.0, 0.0, 1013.25));
  EXPECT_TRUE(peer.received().empty());
  EXPECT_FALSE(link.strainGaugeCalRun);
}

TEST_F(LinkTest, BenchDataIsAskedOnlyWhileItIsMissing) {
  op.ExpectPrompt("Atmospheric pressure (millibar)", "", "1009.5 mb");
  op.ExpectPrompt("Local temperature (Deg C)", "", "-5");
  op.ExpectPrompt("Dead weight tester make", "Budenburg", "DH");
  op.ExpectPrompt("Dead weight tester Ident. No", "", "12x");
  link.EnsureEquipmentData();
  EXPECT_DOUBLE_EQ(link.atmosphericPressureMb, 1009.5);
  EXPECT_DOUBLE_EQ(link.temperatureDegC, -5.0);
  EXPECT_EQ(link.equipmentIdNo, 12);
  // A make of fewer than three letters is asked again, with the number.
  op.ExpectPromptClosed("Dead weight tester make", "Budenburg");
  op.ExpectPrompt("Dead weight tester Ident. No", "", "7");
  link.EnsureEquipmentData();
  link.EnsureEquipmentData();
  EXPECT_EQ(link.equipmentUsed, "Budenburg");
  EXPECT_EQ(link.equipmentIdNo, 7);
}

TEST_F(LinkTest, GaugeIdentityIsAskedOnlyWhileItIsMissing) {
  link.gaugeSerialNo = 4051327;
  op.ExpectPrompt("Strain gauge manufacturer", "", "Druck");
  op.ExpectPrompt("Strain gauge model", "", "X");
  link.EnsureGaugeIdentity();
  link.gaugeSerialNo = 0;
  op.ExpectPrompt("Strain gauge model", "", "PDCR");
  op.ExpectPrompt("Strain gauge serial No", "", "3000000000");
  link.EnsureGaugeIdentity();
  EXPECT_EQ(link.gaugeManufacturer, "Druck");
  EXPECT_EQ(link.gaugeModel, "PDCR");
  EXPECT_EQ(link.gaugeSerialNo, 3000000000u);
}

class InclinometerCalRefusal : public LinkTest {
protected:
  InclinometerCalRefusal() {
    const RawSlot slots[8] = {{1000, 2000}, {1002, 2002}, {1004, 2004}, {1006, 2006},
                              {1900, 2005}, {1003, 2900}, {100, 2003},  {1003, 1100}};
    std::copy(slots, slots + 8, link.rawSlots);
  }
};

TEST_F(InclinometerCalRefusal, SlotThatWasNeverReadFailsTheCalibration) {
  link.rawSlots[6].readFailed = true;
  EXPECT_FALSE(link.ComputeInclinometerCal(10.0));
  EXPECT_TRUE(link.inclinometerCalRun);
  EXPECT_FALSE(link.inclinometerCalPassed);
  EXPECT_TRUE(peer.received().empty());
}

TEST_F(InclinometerCalRefusal, AxisThatDidNotMoveFailsTheCalibration) {
  for (int axis = 0; axis < 2; ++axis) {
    if (axis == 0) link.rawSlots[6].a = link.rawSlots[4].a;
    else link.rawSlots[7].b = link.rawSlots[5].b;
    EXPECT_FALSE(link.ComputeInclinometerCal(10.0)) << axis;
    link.rawSlots[6].a = 100;
    link.rawSlots[7].b = 1100;
  }
  EXPECT_TRUE(peer.received().empty());
}

TEST_F(InclinometerCalRefusal, SilentUnitLeavesTheSlotMarkedAsNotRead) {
  link.ReadInclinometerRaw(2);
  EXPECT_TRUE(link.rawSlots[2].readFailed);
  EXPECT_EQ(link.rawSlots[2].a, 0);
}

}  // namespace
}  // namespace endcap
