// The inclinometer calibration and check against the simulated unit and its tilting fixture,
// on the virtual clock: boxes and prompts in order, the values written, the record file lines.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "procedures/inclinometer_cal_dialog.h"
#include "protocol/register_map.h"
#include "records/results_record.h"
#include "unit/sensor_operations.h"
#include "sim/physics.h"
#include "tests/procedures/calibration_fixture.h"
#include "tests/support/cal_stamp.h"
#include "unit/cal_record.h"

namespace endcap {
namespace {

using testing::CalibrationTest;

constexpr double kDegreesPerRadian = 57.29577951471995;
const std::vector<uint16_t> kErased = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};

class InclinometerCalTest : public CalibrationTest {
protected:
  InclinometerCalTest() {
    dialog.Attach(view);
    dialog.OnInitDialog();
  }

  // What the unit reports on the fixture, from its sensors as built and the coefficients it
  // holds now.
  PitchRollReading Expected(double tiltDeg, int rotationDeg) {
    sim::Bench bench;
    bench.tiltDeg = tiltDeg;
    bench.rotationDeg = rotationDeg;
    const sim::Attitude attitude = sim::TrueAttitude(bench);
    const sim::SensorTruth truth = unit.truth();
    const auto angle = [&](double offset, double gain, double rad, uint16_t offsetReg, uint16_t gainReg) {
      const uint16_t count = sim::QuantiseCount(sim::RawCount(offset, gain, rad));
      return static_cast<float>(sim::ReportedAngleRad(count, FloatAt(offsetReg), FloatAt(gainReg))) * kDegreesPerRadian;
    };
    return {angle(truth.offsetA, truth.gainA, attitude.pitchRad, reg::kInclinometerCal, reg::kInclinometerCal + 2),
            angle(truth.offsetB, truth.gainB, attitude.rollRad, reg::kInclinometerCal + 4, reg::kInclinometerCal + 6),
            true};
  }

  void StoreTrueCoefficients() {
    const sim::SensorTruth truth = unit.truth();
    const double values[4] = {truth.offsetA, truth.gainA, truth.offsetB, truth.gainB};
    for (int i = 0; i < 4; ++i) PutFloat(static_cast<uint16_t>(reg::kInclinometerCal + 2 * i), values[i]);
  }

  void ExpectCalibration(const std::string& current, const std::vector<std::string>& warnings, const char* verdict,
                         const std::string& pitch = "10.0") {
    op.ExpectMessage(DialogBox("Mount the end-cap with 0 pitch and 0 roll\r\nUse the reference sensors to confirm this"))
        .Do([this] {
          // Nothing is measured before the record is erased and the settings are written.
          EXPECT_EQ(Regs(404, 4), kErased);
          EXPECT_EQ(Regs(reg::kInclinometerSamples, 2), (std::vector<uint16_t>{12, 35}));
          unit.SetTilt(0.0);
        });
    for (int k = 0; k < 4; ++k)
      op.ExpectMessage(DialogBox(Format("Position the end cap at the %d degrees position", 90 * k))).Do(Rotate(90 * k));
    op.ExpectMessage(DialogBox("Mount the end-cap with approx +10 deg pitch and 0 roll\r\n"
                               "Use the reference sensors to confirm this"))
        .Do(Fixture(10.0, 0));
    op.ExpectPrompt("Enter exact pitch in degrees", "10.0", pitch);
    for (int k = 0; k < 4; ++k)
      op.ExpectMessage(DialogBox(Format("Position the end cap at the %d degrees position", 90 * k))).Do(Rotate(90 * k));
    op.ExpectPrompt("Enter current drawn in mA", "", current);
    for (const std::string& warning : warnings) op.ExpectMessage(DialogBox(warning));
    op.ExpectMessage(DialogBox(verdict));
  }

  void Calibrate() {
    view.fields[ctl::incl::kSamples] = "12";
    view.fields[ctl::incl::kWarmUp] = "3.5";
    dialog.OnCommand(ctl::incl::kCalibrate);
  }

  // A check whose every position passes, with its summary; or, with atLevel (what happens at
  // the level position), whose level position fails and is ignored.
  void ExpectPassingCheck(std::function<void()> atLevel = nullptr) {
    std::string summary;
    const double angles[2] = {5.0, 45.0};
    const char* names[2] = {"first", "second"};
    for (int set = 0; set < 2; ++set) {
      const double a = angles[set];
      op.ExpectMessage(DialogBox(Format("Set End-Cap to %s pitch angle (approx %.0f degrees)", names[set], a)))
          .Do(Fixture(a, 0));
      op.ExpectPrompt("Enter exact pitch in degrees", Format("%.1f", a), Format("%.1f", a));
      for (int k = 0; k < 4; ++k) {
        op.ExpectMessage(DialogBox(Format("Allign bow to %d degrees", 90 * k))).Do(Rotate(90 * k));
        const PitchRollReading r = Expected(a, 90 * k);
        const double e = k < 2 ? a : -a;
        summary += Format(k % 2 == 0 ? "Pitch %.3f  Roll 0 Reads Pitch=%.3f Roll=%.3f  PASS\r\n"
                                     : "Pitch 0  Roll %.3f Reads Pitch=%.3f Roll=%.3f  PASS\r\n",
                          e, r.pitchDeg, r.rollDeg);
      }
    }
    op.ExpectMessage(DialogBox("Set End-Cap to level\r\nAllign bow to zero degrees")).Do([this, atLevel] {
      Fixture(0.0, 0)();
      if (atLevel) atLevel();
    });
    if (atLevel)
      op.ExpectMessage(DialogBox("Measured values Pitch nan  Roll nan\r\nare outside limits", "Confirm result",
                                 BoxButtons::AbortRetryIgnore, BoxIcon::Question, 1),
                       BoxAnswer::Ignore);
    op.ExpectMessage(DialogBox(summary, "Results"));
  }

  InclinometerCalDialog dialog{Context(), inclinometerRun};
};

TEST_F(InclinometerCalTest, OpensWithTheUnitsSamplesAndWarmUp) {
  EXPECT_EQ(view.fields[ctl::incl::kSamples], "10");
  EXPECT_EQ(view.fields[ctl::incl::kWarmUp], "2.0");
  EXPECT_EQ(view.fields[ctl::incl::kPitch], "");
  EXPECT_TRUE(InclinometerCalDialog::HasCommand(ctl::incl::kExit));
  EXPECT_FALSE(InclinometerCalDialog::HasCommand(ctl::incl::kPitch));
  dialog.OnCommand(ctl::incl::kExit);
  EXPECT_EQ(view.endings, 1);
}

TEST_F(InclinometerCalTest, CalibrationFindsTheSensorsThenEveryCheckPositionPasses) {
  unit.SetRegister(404, 0x0001);  // a stamp from an earlier calibration, erased first
  ExpectCalibration("72", {}, "Calibration successful");
  Calibrate();
  op.VerifyDone();
  EXPECT_TRUE(dialog.commandSucceeded);
  EXPECT_DOUBLE_EQ(state.inclinometerFullScaleDeg, 90.0);

  // The coefficients as IEEE singles at 120-127, near the sensors' truth.
  const sim::SensorTruth truth = unit.truth();
  const InclinometerCal& cal = inclinometerRun.cal;
  const double values[4] = {cal.offsetA, cal.gainA, cal.offsetB, cal.gainB};
  for (int i = 0; i < 4; ++i) {
    uint16_t expected[2];
    Int32ToRegisters(expected, 0, FloatBits(static_cast<float>(values[i])));
    EXPECT_EQ(Regs(static_cast<uint16_t>(120 + 2 * i), 2), (std::vector<uint16_t>{expected[0], expected[1]})) << i;
  }
  EXPECT_NEAR(cal.offsetA, truth.offsetA, 0.5);
  EXPECT_NEAR(cal.gainA, truth.gainA, 5.0);
  EXPECT_NEAR(cal.offsetB, truth.offsetB, 0.5);
  EXPECT_NEAR(cal.gainB, truth.gainB, 5.0);
  // Stamped: kind 1, today, AB, marker 1; the current went to 135.
  EXPECT_EQ(Regs(404, 4), testing::StampOfAB(1));
  EXPECT_EQ(Reg(reg::kUnitCurrent), 72);

  ExpectPassingCheck();
  dialog.OnCommand(ctl::incl::kConfirm);
  op.VerifyDone();
  EXPECT_TRUE(dialog.commandSucceeded);
  EXPECT_TRUE(inclinometerRun.checkRun);

  const std::string prefix = Prefix();
  std::vector<std::string> expected = {prefix + "External digital inclinometer calibrated ", prefix + "Current 72 mA",
                                       prefix + "Warm up 3 seconds",
                                       prefix + "External digital  inclinometer calibration checked"};
  const PitchRollReading level = Expected(0.0, 0);
  expected.push_back(prefix + Format("Pitch 0  Roll 0 Reads Pitch %.3f Roll %.3f", level.pitchDeg, level.rollDeg));
  for (const double a : {5.0, 45.0}) {
    const char* formats[4] = {"Pitch %.3f  Roll 0 Reads Pitch %.3f Roll %.3f", "Pitch 0  Roll %.3f Reads Pitch %.3f Roll %.3f",
                              "Pitch -%.3f  Roll 0 Reads Pitch %.3f Roll %.3f",
                              "Pitch 0  Roll -%.3f Reads Pitch %.3f Roll %.3f"};
    for (int k = 0; k < 4; ++k) {
      const PitchRollReading r = Expected(a, 90 * k);
      expected.push_back(prefix + Format(formats[k], a, r.pitchDeg, r.rollDeg));
    }
  }
  RecordInclinometerCalibration(settings, state, inclinometerRun, op, client.clock());
  EXPECT_EQ(RecordLines(), expected);
  EXPECT_FALSE(inclinometerRun.calRun);
  EXPECT_FALSE(inclinometerRun.checkRun);
}

TEST_F(InclinometerCalTest, UnitWithWrongCoefficientsFailsItsFirstPositionAndAbortEndsTheCheck) {
  // As the board leaves the factory: nominal coefficients, not its sensors'.
  op.ExpectMessage(DialogBox("Set End-Cap to first pitch angle (approx 5 degrees)")).Do(Fixture(5.0, 0));
  op.ExpectPrompt("Enter exact pitch in degrees", "5.0", "5.0");
  op.ExpectMessage(DialogBox("Allign bow to 0 degrees"));
  const PitchRollReading r = Expected(5.0, 0);
  ASSERT_GT(std::fabs(r.pitchDeg - 5.0), 0.05);
  op.ExpectMessage(DialogBox(Format("Measured values Pitch %.3f  Roll %.3f\r\nare outside limits", r.pitchDeg, r.rollDeg),
                             "Confirm result", BoxButtons::AbortRetryIgnore, BoxIcon::Question, 1),
                   BoxAnswer::Abort);
  dialog.OnCommand(ctl::incl::kConfirm);
  EXPECT_FALSE(dialog.commandSucceeded);
  EXPECT_FALSE(inclinometerRun.checkRun);
  EXPECT_DOUBLE_EQ(inclinometerRun.checkSets[0].angleDeg, 0.0) << "an aborted run stores nothing";
  RecordInclinometerCalibration(settings, state, inclinometerRun, op, client.clock());
  EXPECT_TRUE(RecordLines().empty());
}

TEST_F(InclinometerCalTest, RetryMeasuresTheSamePositionAgainAndIgnoreGoesOnWithAFail) {
  StoreTrueCoefficients();
  std::string summary;
  op.ExpectMessage(DialogBox("Set End-Cap to first pitch angle (approx 5 degrees)"));  // the fixture stays level
  op.ExpectPrompt("Enter exact pitch in degrees", "5.0", "5.0");
  op.ExpectMessage(DialogBox("Allign bow to 0 degrees"));
  const PitchRollReading flat = Expected(0.0, 0);
  const MessageBox failed = DialogBox(
      Format("Measured values Pitch %.3f  Roll %.3f\r\nare outside limits", flat.pitchDeg, flat.rollDeg), "Confirm result",
      BoxButtons::AbortRetryIgnore, BoxIcon::Question, 1);
  op.ExpectMessage(failed, BoxAnswer::Retry).Do(Fixture(5.0, 0));
  op.ExpectMessage(DialogBox("Allign bow to 0 degrees"));
  const PitchRollReading bow0 = Expected(5.0, 0);
  summary += Format("Pitch 5.000  Roll 0 Reads Pitch=%.3f Roll=%.3f  PASS\r\n", bow0.pitchDeg, bow0.rollDeg);
  // Bow 90 while the fixture is still at 0: a fail that the operator ignores.
  op.ExpectMessage(DialogBox("Allign bow to 90 degrees"));
  op.ExpectMessage(DialogBox(Format("Measured values Pitch %.3f  Roll %.3f\r\nare outside limits", bow0.pitchDeg,
                                    bow0.rollDeg),
                             "Confirm result", BoxButtons::AbortRetryIgnore, BoxIcon::Question, 1),
                   BoxAnswer::Ignore);
  summary += Format("Pitch 0  Roll 5.000 Reads Pitch=%.3f Roll=%.3f  FAIL\r\n", bow0.pitchDeg, bow0.rollDeg);
  for (int k = 2; k < 4; ++k) {
    op.ExpectMessage(DialogBox(Format("Allign bow to %d degrees", 90 * k))).Do(Rotate(90 * k));
    const PitchRollReading r = Expected(5.0, 90 * k);
    summary += Format(k == 2 ? "Pitch -5.000  Roll 0 Reads Pitch=%.3f Roll=%.3f  PASS\r\n"
                             : "Pitch 0  Roll -5.000 Reads Pitch=%.3f Roll=%.3f  PASS\r\n",
                      r.pitchDeg, r.rollDeg);
  }
  op.ExpectMessage(DialogBox("Set End-Cap to second pitch angle (approx 45 degrees)")).Do(Fixture(45.0, 0));
  op.ExpectPrompt("Enter exact pitch in degrees", "45.0", "45.0");
  for (int k = 0; k < 4; ++k) {
    op.ExpectMessage(DialogBox(Format("Allign bow to %d degrees", 90 * k))).Do(Rotate(90 * k));
    const PitchRollReading r = Expected(45.0, 90 * k);
    const char* formats[4] = {"Pitch 45.000  Roll 0 Reads Pitch=%.3f Roll=%.3f  PASS\r\n",
                              "Pitch 0  Roll 45.000 Reads Pitch=%.3f Roll=%.3f  PASS\r\n",
                              "Pitch -45.000  Roll 0 Reads Pitch=%.3f Roll=%.3f  PASS\r\n",
                              "Pitch 0  Roll -45.000 Reads Pitch=%.3f Roll=%.3f  PASS\r\n"};
    summary += Format(formats[k], r.pitchDeg, r.rollDeg);
  }
  op.ExpectMessage(DialogBox("Set End-Cap to level\r\nAllign bow to zero degrees")).Do(Fixture(0.0, 0));
  op.ExpectMessage(DialogBox(summary, "Results"));
  dialog.OnCommand(ctl::incl::kConfirm);
  EXPECT_FALSE(dialog.commandSucceeded);
  EXPECT_TRUE(inclinometerRun.checkRun);
  EXPECT_TRUE(inclinometerRun.checkSets[0].readings[0].pass);
  EXPECT_FALSE(inclinometerRun.checkSets[0].readings[1].pass);
}

TEST_F(InclinometerCalTest, PositionWithoutAReadingFailsOnNothingAndIsKeptAsNotANumber) {
  StoreTrueCoefficients();
  ExpectPassingCheck([this] { unit.InjectFault(sim::Fault::NeverReady, sim::FaultMode::Once); });
  dialog.OnCommand(ctl::incl::kConfirm);
  op.VerifyDone();
  EXPECT_FALSE(dialog.commandSucceeded);
  EXPECT_TRUE(inclinometerRun.checkRun);
  EXPECT_TRUE(std::isnan(inclinometerRun.checkLevelReading.pitchDeg));
  EXPECT_TRUE(std::isnan(inclinometerRun.checkLevelReading.rollDeg));
  EXPECT_FALSE(inclinometerRun.checkLevelReading.pass);
}

TEST_F(InclinometerCalTest, AbortedSecondCheckLeavesTheFirstChecksData) {
  StoreTrueCoefficients();
  ExpectPassingCheck();
  dialog.OnCommand(ctl::incl::kConfirm);
  op.VerifyDone();
  const CheckReading bow0 = inclinometerRun.checkSets[0].readings[0];

  // At 6 degrees bow 0 passes; bow 90, with the fixture not turned, fails and is aborted.
  op.ExpectMessage(DialogBox("Set End-Cap to first pitch angle (approx 5 degrees)")).Do(Fixture(6.0, 0));
  op.ExpectPrompt("Enter exact pitch in degrees", "5.0", "6.0");
  op.ExpectMessage(DialogBox("Allign bow to 0 degrees"));
  op.ExpectMessage(DialogBox("Allign bow to 90 degrees"));
  const PitchRollReading r = Expected(6.0, 0);
  op.ExpectMessage(DialogBox(Format("Measured values Pitch %.3f  Roll %.3f\r\nare outside limits", r.pitchDeg, r.rollDeg),
                             "Confirm result", BoxButtons::AbortRetryIgnore, BoxIcon::Question, 1),
                   BoxAnswer::Abort);
  dialog.OnCommand(ctl::incl::kConfirm);
  op.VerifyDone();
  EXPECT_TRUE(inclinometerRun.checkRun);
  EXPECT_EQ(inclinometerRun.checkSets[0].angleDeg, 5.0);
  EXPECT_EQ(inclinometerRun.checkSets[0].readings[0].pitchDeg, bow0.pitchDeg);
  EXPECT_TRUE(inclinometerRun.checkSets[0].readings[1].pass);
}

// Sensors that a calibration cannot find: the verdict is a fail, nothing is written to 120-127
// and the record stays erased.
struct Unfit {
  const char* name;
  const char* command;
  const char* pitch = "10.0";
};
class UnfitSensor : public InclinometerCalTest, public ::testing::WithParamInterface<Unfit> {};

TEST_P(UnfitSensor, FailsTheCalibrationAndWritesNoCoefficients) {
  sim::SensorTruth truth = unit.truth();
  const std::string command = GetParam().command;
  if (command == "swap") truth.axesSwapped = true;
  if (command == "dead-a") truth.gainA = 0.0;
  if (command == "dead-b") truth.gainB = 0.0;
  unit.SetSensorTruth(truth);
  const std::vector<uint16_t> before = Regs(120, 8);
  ExpectCalibration("72", {}, "Calibration failed!!!!!!", GetParam().pitch);
  Calibrate();
  EXPECT_FALSE(dialog.commandSucceeded);
  EXPECT_EQ(Regs(120, 8), before);
  EXPECT_EQ(Regs(404, 4), kErased);
  RecordInclinometerCalibration(settings, state, inclinometerRun, op, client.clock());
  const std::string prefix = Prefix();
  EXPECT_EQ(RecordLines(), (std::vector<std::string>{prefix + "External digital inclinometer calibration failed",
                                                     prefix + "Current 72 mA", prefix + "Warm up 3 seconds"}));
}

INSTANTIATE_TEST_SUITE_P(Sensors, UnfitSensor,
                         ::testing::Values(Unfit{"SwappedAxes", "swap"}, Unfit{"DeadPitchAxis", "dead-a"},
                                           Unfit{"DeadRollAxis", "dead-b"},
                                           // read as numbers, giving gains that are not
                                           Unfit{"PitchTypedAsNan", "", "nan"}, Unfit{"PitchTypedAsInf", "", "inf"}),
                         [](const ::testing::TestParamInfo<Unfit>& info) { return info.param.name; });

TEST_F(InclinometerCalTest, RawReadingThatNeverCameFailsTheCalibration) {
  const std::vector<uint16_t> before = Regs(120, 8);
  op.ExpectMessage(DialogBox("Mount the end-cap with 0 pitch and 0 roll\r\nUse the reference sensors to confirm this"));
  op.ExpectMessage(DialogBox("Position the end cap at the 0 degrees position"))
      .Do([this] { unit.InjectFault(sim::Fault::NeverReady, sim::FaultMode::Once); });
  for (int k = 1; k < 4; ++k)
    op.ExpectMessage(DialogBox(Format("Position the end cap at the %d degrees position", 90 * k))).Do(Rotate(90 * k));
  op.ExpectMessage(DialogBox("Mount the end-cap with approx +10 deg pitch and 0 roll\r\n"
                             "Use the reference sensors to confirm this"))
      .Do(Fixture(10.0, 0));
  op.ExpectPrompt("Enter exact pitch in degrees", "10.0", "10.0");
  for (int k = 0; k < 4; ++k)
    op.ExpectMessage(DialogBox(Format("Position the end cap at the %d degrees position", 90 * k))).Do(Rotate(90 * k));
  op.ExpectPrompt("Enter current drawn in mA", "", "72");
  op.ExpectMessage(DialogBox("Calibration failed!!!!!!"));
  Calibrate();
  EXPECT_TRUE(inclinometerRun.rawSlots[0].readFailed);
  EXPECT_EQ(Regs(120, 8), before);
  EXPECT_EQ(Regs(404, 4), kErased);
}

constexpr const char* kUnitLost = "The unit on COM1 stopped answering\r\nThe procedure has stopped";

TEST_F(InclinometerCalTest, RefusedCoefficientWriteFailsTheCalibrationAndErasesTheRecord) {
  const std::vector<uint16_t> before = Regs(120, 8);
  trap.Arm(reg::kInclinometerCal, sim::Fault::ExceptionReply, sim::FaultMode::Once);
  ExpectCalibration("72", {}, "Calibration failed!!!!!!");
  op.Do([this] { unit.SetRegister(404, 0x0001); });  // the erase that follows is seen
  Calibrate();
  op.VerifyDone();
  EXPECT_FALSE(dialog.commandSucceeded);
  EXPECT_FALSE(inclinometerRun.calPassed);
  EXPECT_EQ(Regs(120, 8), before);
  EXPECT_EQ(Regs(404, 4), kErased);
  RecordInclinometerCalibration(settings, state, inclinometerRun, op, client.clock());
  const std::string prefix = Prefix();
  EXPECT_EQ(RecordLines(), (std::vector<std::string>{prefix + "External digital inclinometer calibration failed",
                                                     prefix + "Current 72 mA", prefix + "Warm up 3 seconds"}));
}

TEST_F(InclinometerCalTest, UnitLostAtTheCoefficientWriteStopsWithOneMessageAndWritesNothingMore) {
  trap.Arm(reg::kInclinometerCal, sim::Fault::NoReply, sim::FaultMode::Always);
  ExpectCalibration("72", {}, kUnitLost);
  Calibrate();
  op.VerifyDone();
  EXPECT_EQ(trap.after, std::vector<std::string>{"fa 04 00 02"}) << "only the handshake that found it gone";
  EXPECT_FALSE(dialog.commandSucceeded);
  EXPECT_FALSE(inclinometerRun.calPassed);
  EXPECT_EQ(Regs(404, 4), kErased);
}

TEST_F(InclinometerCalTest, UnitLostWhileMeasuringStopsAtOnceWithOneMessage) {
  op.ExpectMessage(DialogBox("Mount the end-cap with 0 pitch and 0 roll\r\nUse the reference sensors to confirm this"));
  op.ExpectMessage(DialogBox("Position the end cap at the 0 degrees position"));
  op.ExpectMessage(DialogBox("Position the end cap at the 90 degrees position"))
      .Do([this] { unit.InjectFault(sim::Fault::NoReply, sim::FaultMode::Always); });
  op.ExpectMessage(DialogBox(kUnitLost));
  Calibrate();
  op.VerifyDone();
  EXPECT_FALSE(dialog.commandSucceeded);
  EXPECT_FALSE(inclinometerRun.calRun);
  EXPECT_EQ(Regs(404, 4), kErased);
}

TEST_F(InclinometerCalTest, ABenchStepNotDoneStopsTheCalibrationThereWithOnlyTheRecordErased) {
  unit.SetRegister(404, 0x0001);
  const std::vector<uint16_t> coefficients = Regs(reg::kInclinometerCal, 8);
  op.ExpectMessage(BenchStepBox("Mount the end-cap with 0 pitch and 0 roll\r\nUse the reference sensors to confirm this"));
  op.ExpectMessage(BenchStepBox("Position the end cap at the 0 degrees position"));
  op.ExpectMessage(BenchStepBox("Position the end cap at the 90 degrees position"), BoxAnswer::Cancel);
  Calibrate();
  op.VerifyDone();
  EXPECT_FALSE(dialog.commandSucceeded);
  EXPECT_FALSE(inclinometerRun.calRun);
  EXPECT_EQ(Regs(reg::kInclinometerCal, 8), coefficients);
  EXPECT_EQ(Regs(404, 4), kErased);
}

TEST_F(InclinometerCalTest, ABenchStepNotDoneStopsTheCheckWithNothingKept) {
  op.ExpectMessage(BenchStepBox("Set End-Cap to first pitch angle (approx 5 degrees)")).Do(Fixture(5.0, 0));
  op.ExpectPrompt("Enter exact pitch in degrees", "5.0", "");
  op.ExpectMessage(BenchStepBox("Allign bow to 0 degrees"), BoxAnswer::Cancel);
  dialog.OnCommand(ctl::incl::kConfirm);
  op.VerifyDone();
  EXPECT_FALSE(dialog.commandSucceeded);
  EXPECT_FALSE(inclinometerRun.checkRun);
}

struct CurrentRow {
  const char* entry;
  std::vector<std::string> warnings;
  uint16_t written;
};
class CurrentWarning : public InclinometerCalTest, public ::testing::WithParamInterface<CurrentRow> {};

TEST_P(CurrentWarning, WarnsOutsideTheWindowAndWritesTheEntryAnyway) {
  ExpectCalibration(GetParam().entry, GetParam().warnings, "Calibration successful");
  Calibrate();
  EXPECT_EQ(Reg(reg::kUnitCurrent), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, CurrentWarning,
    ::testing::Values(CurrentRow{"100", {}, 100}, CurrentRow{"50", {}, 50},
                      CurrentRow{"101", {"Current is excessive for this unit"}, 101},
                      CurrentRow{"49", {"Current is low for this unit"}, 49},
                      CurrentRow{"", {"Current is low for this unit"}, 0}));

TEST_F(InclinometerCalTest, SetSamplesAndWarmUpWritesBothAndRefusesANonInteger) {
  view.fields[ctl::incl::kSamples] = " 16 ";
  view.fields[ctl::incl::kWarmUp] = "2.55s";
  dialog.OnCommand(ctl::incl::kSetSamples);
  EXPECT_TRUE(dialog.commandSucceeded);
  EXPECT_EQ(Regs(reg::kInclinometerSamples, 2), (std::vector<uint16_t>{16, 25}));
  EXPECT_EQ(view.fields[ctl::incl::kSamples], "16");

  view.fields[ctl::incl::kSamples] = "12x";
  view.fields[ctl::incl::kWarmUp] = "4";
  op.ExpectMessage(DialogBox("Please enter an integer.", kApplicationName, BoxButtons::Ok, BoxIcon::Warning));
  dialog.OnCommand(ctl::incl::kSetSamples);
  EXPECT_EQ(Regs(reg::kInclinometerSamples, 2), (std::vector<uint16_t>{16, 40}));
  EXPECT_EQ(view.fields[ctl::incl::kSamples], "16");
}

TEST_F(InclinometerCalTest, ReadShowsPitchAndRollOrNoReply) {
  StoreTrueCoefficients();
  unit.SetTilt(5.0);
  unit.SetRotation(90);
  clock.Advance(sim::kDefaultMeasureDelayMs);  // the inclinometer measures on its own meanwhile
  view.fields[ctl::incl::kSamples] = "typed, not set";
  dialog.OnCommand(ctl::incl::kRead);
  const PitchRollReading r = Expected(5.0, 90);
  EXPECT_EQ(view.fields[ctl::incl::kPitch], Format("%f", r.pitchDeg));
  EXPECT_EQ(view.fields[ctl::incl::kRoll], Format("%f", r.rollDeg));
  EXPECT_EQ(view.fields[ctl::incl::kSamples], "typed, not set");
  unit.InjectFault(sim::Fault::NoReply, sim::FaultMode::Always);
  dialog.OnCommand(ctl::incl::kRead);
  EXPECT_FALSE(dialog.commandSucceeded);
  EXPECT_EQ(view.fields[ctl::incl::kPitch], "No reply");
}

}  // namespace
}  // namespace endcap
