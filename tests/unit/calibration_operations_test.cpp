// The unit-object operations of the two calibrations: the check tolerance, the strain-gauge
// coefficients and their questions, the bench data prompts, and the inclinometer calibration's
// refusal of counts that never came or an axis that did not move.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "protocol/register_values.h"
#include "tests/unit/client_fixture.h"
#include "unit/conversions.h"

namespace endcap {
namespace {

using testing::UnitClientTest;
using testing::ReadReply;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST_F(UnitClientTest, InclinometerToleranceBySizeOfTheAngle) {
  const struct {
    double angle;
    double tolerance;
  } rows[] = {{0.0, 0.05}, {14.99, 0.05}, {15.0, 0.2}, {-15.0, 0.2}, {45.99, 0.2}, {46.0, 46.0}, {-60.0, 60.0}};
  for (const auto& row : rows) EXPECT_DOUBLE_EQ(InclinometerTolerance(limits, row.angle), row.tolerance) << row.angle;
  EXPECT_FALSE(std::fabs(1.0) <= InclinometerTolerance(limits, kNaN));
}

class PressureCalTest : public UnitClientTest {
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
    EXPECT_TRUE(ComputePressureCal(client, op, gaugeRun, row.zero, row.applied, row.zero + 1.0, 0.0));
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
  EXPECT_TRUE(gaugeRun.calRun);
}

TEST_F(PressureCalTest, RejectedOffsetStillAsksAboutTheScaleAndWritesNothing) {
  op.ExpectMessage(OffsetQuestion("4.990"), BoxAnswer::No);
  op.ExpectMessage(ScaleQuestion("1.200"), BoxAnswer::Yes);
  EXPECT_FALSE(ComputePressureCal(client, op, gaugeRun, -4.99, 1.2, -3.99, 0.0));
  EXPECT_TRUE(peer.received().empty());
  EXPECT_FALSE(gaugeRun.calRun);
}

TEST_F(PressureCalTest, RejectedScaleEndsAtOnce) {
  op.ExpectMessage(ScaleQuestion("0.899"), BoxAnswer::No);
  EXPECT_FALSE(ComputePressureCal(client, op, gaugeRun, -14.0, 0.899, -13.0, 0.0));
  EXPECT_TRUE(peer.received().empty());
}

TEST_F(PressureCalTest, AcceptedValuesOutOfRangeAreWritten) {
  op.ExpectMessage(OffsetQuestion("30.000"), BoxAnswer::Yes);
  QueueUnlockAndEcho();
  EXPECT_TRUE(ComputePressureCal(client, op, gaugeRun, -30.0, 1.0, -29.0, 0.0));
  EXPECT_EQ(Sent().size(), 2u);
}

TEST_F(PressureCalTest, ValuesThatAreNotNumbersAreNeverWrittenWhateverTheAnswers) {
  // A unit that gave no zero reading.
  op.ExpectMessage(OffsetQuestion("nan"), BoxAnswer::Yes);
  op.ExpectMessage(ScaleQuestion("nan"), BoxAnswer::Yes);
  EXPECT_FALSE(ComputePressureCal(client, op, gaugeRun, kNaN, 1200.0, 1150.0, 1013.25));
  // A high reading equal to the zero reading.
  op.ExpectMessage(ScaleQuestion("inf"), BoxAnswer::Yes);
  EXPECT_FALSE(ComputePressureCal(client, op, gaugeRun, 0.0, 1200.0, 0.0, 1013.25));
  EXPECT_TRUE(peer.received().empty());
  EXPECT_FALSE(gaugeRun.calRun);
}

TEST_F(UnitClientTest, BenchDataIsAskedOnlyWhileItIsMissing) {
  op.ExpectPrompt("Atmospheric pressure (millibar)", "", "1009.5 mb");
  op.ExpectPrompt("Local temperature (Deg C)", "", "-5");
  op.ExpectPrompt("Dead weight tester make", "Budenburg", "DH");
  op.ExpectPrompt("Dead weight tester Ident. No", "", "12x");
  EnsureEquipmentData(op, gaugeRun);
  EXPECT_DOUBLE_EQ(gaugeRun.atmosphericPressureMb, 1009.5);
  EXPECT_DOUBLE_EQ(gaugeRun.temperatureDegC, -5.0);
  EXPECT_EQ(gaugeRun.equipmentIdNo, 12);
  // A make of fewer than three letters is asked again, with the number.
  op.ExpectPromptClosed("Dead weight tester make", "Budenburg");
  op.ExpectPrompt("Dead weight tester Ident. No", "", "7");
  EnsureEquipmentData(op, gaugeRun);
  EnsureEquipmentData(op, gaugeRun);
  EXPECT_EQ(gaugeRun.equipmentUsed, "Budenburg");
  EXPECT_EQ(gaugeRun.equipmentIdNo, 7);
}

TEST_F(UnitClientTest, GaugeIdentityIsAskedOnlyWhileItIsMissing) {
  unit.gaugeSerialNo = 4051327;
  op.ExpectPrompt("Strain gauge manufacturer", "", "Druck");
  op.ExpectPrompt("Strain gauge model", "", "X");
  EnsureGaugeIdentity(op, unit, gaugeRun);
  unit.gaugeSerialNo = 0;
  op.ExpectPrompt("Strain gauge model", "", "PDCR");
  op.ExpectPrompt("Strain gauge serial No", "", "3000000000");
  EnsureGaugeIdentity(op, unit, gaugeRun);
  EXPECT_EQ(gaugeRun.gaugeManufacturer, "Druck");
  EXPECT_EQ(gaugeRun.gaugeModel, "PDCR");
  EXPECT_EQ(unit.gaugeSerialNo, 3000000000u);
}

class InclinometerCalRefusal : public UnitClientTest {
protected:
  InclinometerCalRefusal() {
    const RawSlot slots[8] = {{1000, 2000}, {1002, 2002}, {1004, 2004}, {1006, 2006},
                              {1900, 2005}, {1003, 2900}, {100, 2003},  {1003, 1100}};
    std::copy(slots, slots + 8, inclinometerRun.rawSlots);
  }
};

TEST_F(InclinometerCalRefusal, SlotThatWasNeverReadFailsTheCalibration) {
  inclinometerRun.rawSlots[6].readFailed = true;
  EXPECT_FALSE(ComputeInclinometerCal(client, inclinometerRun, 10.0));
  EXPECT_TRUE(inclinometerRun.calRun);
  EXPECT_FALSE(inclinometerRun.calPassed);
  EXPECT_TRUE(peer.received().empty());
}

TEST_F(InclinometerCalRefusal, AxisThatDidNotMoveFailsTheCalibration) {
  for (int axis = 0; axis < 2; ++axis) {
    if (axis == 0) inclinometerRun.rawSlots[6].a = inclinometerRun.rawSlots[4].a;
    else inclinometerRun.rawSlots[7].b = inclinometerRun.rawSlots[5].b;
    EXPECT_FALSE(ComputeInclinometerCal(client, inclinometerRun, 10.0)) << axis;
    inclinometerRun.rawSlots[6].a = 100;
    inclinometerRun.rawSlots[7].b = 1100;
  }
  EXPECT_TRUE(peer.received().empty());
}

TEST_F(InclinometerCalRefusal, SilentUnitLeavesTheSlotMarkedAsNotRead) {
  ReadInclinometerRaw(client, inclinometerRun, 2);
  EXPECT_TRUE(inclinometerRun.rawSlots[2].readFailed);
  EXPECT_EQ(inclinometerRun.rawSlots[2].a, 0);
}

struct Suggestion {
  int fullScalePsi;
  int percent;
  int psi;
};
class PressureSuggestion : public ::testing::TestWithParam<Suggestion> {};

TEST_P(PressureSuggestion, RoundsToTheStepOfItsSizeAndStaysWithinFullScale) {
  EXPECT_EQ(SuggestPressure(GetParam().percent, GetParam().fullScalePsi), GetParam().psi);
}

INSTANTIATE_TEST_SUITE_P(
    FullScales, PressureSuggestion,
    ::testing::Values(Suggestion{1450, 100, 1400}, Suggestion{1450, 80, 1200}, Suggestion{1450, 60, 900},
                      Suggestion{1450, 40, 600}, Suggestion{1450, 20, 280}, Suggestion{1450, 0, 0},
                      Suggestion{145, 100, 140}, Suggestion{145, 80, 120}, Suggestion{145, 60, 87},
                      Suggestion{145, 40, 58}, Suggestion{145, 20, 29}, Suggestion{145, 0, 0},
                      // b of 4 to 9 is raised to 10; an exact half step rounds down
                      Suggestion{20, 20, 10}, Suggestion{250, 100, 240}, Suggestion{210, 100, 200},
                      // never above the full scale
                      Suggestion{4010, 100, 4000}, Suggestion{9999, 100, 9500}));

}  // namespace
}  // namespace endcap
