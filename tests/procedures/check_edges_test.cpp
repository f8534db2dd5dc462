// The check's judgement at its tolerance edges, with readings scripted on the line: the unit
// reports radians as IEEE singles, so an edge is met by the nearest reading on its side.

#include <gtest/gtest.h>

#include <cmath>

#include "resources/calibration_control_ids.h"
#include "procedures/inclinometer_cal_dialog.h"
#include "protocol/register_values.h"
#include "serial/text_format.h"
#include "tests/procedures/calibration_fixture.h"
#include "tests/unit/client_fixture.h"
#include "unit/conversions.h"

namespace endcap {
namespace {

using testing::Hex;
using testing::UnitClientTest;
using testing::ReadReply;

constexpr double kDegreesPerRadian = 57.29577951471995;

// The single-precision radians whose reading in degrees is nearest to deg without passing it
// in the direction given (+1: not above, -1: not below).
float Radians(double deg, int notPast) {
  float r = static_cast<float>(deg / kDegreesPerRadian);
  while (notPast * (r * kDegreesPerRadian - deg) > 0.0) r = std::nextafter(r, notPast > 0 ? -1.0f : 1.0f);
  return r;
}

class CheckEdges : public UnitClientTest {
protected:
  CheckEdges() {
    dialog.Attach(view);
    dialog.OnInitDialog();
  }
  // One position's exchanges: the trigger's echo, a ready poll, the reading.
  void QueueReading(float pitchRad, float rollRad) {
    peer.QueueWithCrc(Hex("fa 06 01 2c 00 00"));
    peer.QueueWithCrc(ReadReply({1}));
    std::vector<uint16_t> regs(4);
    Int32ToRegisters(regs.data(), 0, FloatBits(pitchRad));
    Int32ToRegisters(regs.data(), 2, FloatBits(rollRad));
    peer.QueueWithCrc(ReadReply(regs));
  }
  MessageBox Failed(float pitchRad, float rollRad) {
    return DialogBox(Format("Measured values Pitch %.3f  Roll %.3f\r\nare outside limits", pitchRad * kDegreesPerRadian,
                            rollRad * kDegreesPerRadian),
                     "Confirm result", BoxButtons::AbortRetryIgnore, BoxIcon::Question, 1);
  }

  testing::FakeFieldsView view;
  InclinometerCalDialog dialog{{client, unit, op, limits, operatorId}, inclinometerRun};
};

TEST_F(CheckEdges, FirstPositionPassesAtItsToleranceAndFailsJustBeyond) {
  op.ExpectMessage(DialogBox("Set End-Cap to first pitch angle (approx 5 degrees)"));
  op.ExpectPrompt("Enter exact pitch in degrees", "5.0", "5.0");
  op.ExpectMessage(DialogBox("Allign bow to 0 degrees"));
  QueueReading(Radians(5.05, +1), 0.0f);
  // Bow 90 then reads 5.051 of roll: 0.051 beyond 5.0, outside 0.05.
  op.ExpectMessage(DialogBox("Allign bow to 90 degrees"));
  const float beyond = Radians(5.051, -1);
  QueueReading(0.0f, beyond);
  // Only bow 90 asks to confirm its result.
  op.ExpectMessage(Failed(0.0f, beyond), BoxAnswer::Abort);
  dialog.OnCommand(ctl::incl::kConfirm);
  op.VerifyDone();
}

TEST_F(CheckEdges, LevelReadingOfMinusSixHundredthsFails) {
  // Both check angles pass exactly; the level position's pitch of -0.06 does not.
  for (const char* set : {"first", "second"}) {
    const double a = std::string(set) == "first" ? 5.0 : 45.0;
    op.ExpectMessage(DialogBox(Format("Set End-Cap to %s pitch angle (approx %.0f degrees)", set, a)));
    op.ExpectPromptClosed("Enter exact pitch in degrees", Format("%.1f", a));
    const char* bows[4] = {"Allign bow to 0 degrees", "Allign bow to 90 degrees", "Allign bow to 180 degrees",
                           "Allign bow to 270 degrees"};
    const float r = static_cast<float>(a / kDegreesPerRadian);
    const float readings[4][2] = {{r, 0.0f}, {0.0f, r}, {-r, 0.0f}, {0.0f, -r}};
    for (int k = 0; k < 4; ++k) {
      op.ExpectMessage(DialogBox(bows[k]));
      QueueReading(readings[k][0], readings[k][1]);
    }
  }
  op.ExpectMessage(DialogBox("Set End-Cap to level\r\nAllign bow to zero degrees"));
  const float level = static_cast<float>(-0.06 / kDegreesPerRadian);
  QueueReading(level, 0.0f);
  op.ExpectMessage(Failed(level, 0.0f), BoxAnswer::Ignore);
  op.ExpectMessage(DialogBox(
      "Pitch 5.000  Roll 0 Reads Pitch=5.000 Roll=0.000  PASS\r\nPitch 0  Roll 5.000 Reads Pitch=0.000 Roll=5.000  PASS\r\n"
      "Pitch -5.000  Roll 0 Reads Pitch=-5.000 Roll=0.000  PASS\r\nPitch 0  Roll -5.000 Reads Pitch=0.000 Roll=-5.000  PASS\r\n"
      "Pitch 45.000  Roll 0 Reads Pitch=45.000 Roll=0.000  PASS\r\nPitch 0  Roll 45.000 Reads Pitch=0.000 Roll=45.000  PASS\r\n"
      "Pitch -45.000  Roll 0 Reads Pitch=-45.000 Roll=0.000  PASS\r\n"
      "Pitch 0  Roll -45.000 Reads Pitch=0.000 Roll=-45.000  PASS\r\n",
      "Results"));
  dialog.OnCommand(ctl::incl::kConfirm);
  EXPECT_TRUE(inclinometerRun.checkRun);
  EXPECT_FALSE(inclinometerRun.checkLevelReading.pass);
  EXPECT_FALSE(dialog.commandSucceeded);
}

}  // namespace
}  // namespace endcap
