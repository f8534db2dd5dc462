// The main window's Calibrate command against the simulated unit on the virtual clock: its
// refusals, the steps before the dialog opens, and the record file after it has closed.

#include <gtest/gtest.h>

#include <fstream>

#include "resources/control_ids.h"
#include "console/main_dialog.h"
#include "protocol/register_map.h"
#include "tests/console/fake_views.h"
#include "tests/console/simulated_station.h"

namespace endcap {
namespace {

using testing::FakeMainView;
using testing::SimulatedStation;

class CalibrateButtonTest : public ::testing::Test, protected SimulatedStation {
protected:
  CalibrateButtonTest() {
    unit_.SetRegister(reg::kUnitSerial, 0x1234);
    unit_.SetRegister(reg::kUnitSerial + 1, 0x5607);
    unit_.SetRegister(reg::kEnabledSensors, reg::kSensorInclinometer);
    dialog_.OnInitDialog();
    op_.ExpectChoosePort(1);
    dialog_.OnCommand(ctl::kConnect);
    op_.VerifyDone();
  }
  void ExpectOperatorAndSerial() {
    op_.ExpectPrompt("Enter operator ID 2/3 chars", "", "ab");
    op_.ExpectPrompt("Enter unit serial No", "123456-007", "123456-007");
  }
  std::vector<std::string> RecordLines() const {
    std::ifstream in(home_.path() + "/Quorvanta/D5Status/RemoteInclinometerLog.txt");
    std::vector<std::string> lines;
    for (std::string text; std::getline(in, text);) lines.push_back(text);
    return lines;
  }

  FakeMainView view_;
  MainDialog dialog_{app_, view_};
};

TEST_F(CalibrateButtonTest, RefusesASensorThatIsNotEnabledOrNotKnownWithOnlyTheRefresh) {
  const struct {
    const char* choice;
    const char* message;
  } rows[] = {{"RS485 Strain", "Error sensor is not enabled"}, {"Thermometer", "Unknown sensor error"}};
  for (const auto& row : rows) {
    view_.SetSensorEditText(row.choice);
    op_.ExpectWindowBox(row.message);
    const size_t before = line_.writes().size();
    dialog_.OnCommand(ctl::kCalibrate);
    op_.VerifyDone();
    // The refresh's four reads of the unit and nothing else.
    ASSERT_EQ(line_.writes().size() - before, 4u) << row.choice;
    for (size_t i = before; i < line_.writes().size(); ++i) EXPECT_EQ(line_.writes()[i][1], reg::kReadInputRegisters);
  }
  EXPECT_EQ(view_.inclinometerCalRuns + view_.strainGaugeCalRuns, 0);
  EXPECT_EQ(view_.pane.substr(0, 31), "Overall unit serial\t123456-007\r");
}

TEST_F(CalibrateButtonTest, SuppliesOutOfLimitsKeepTheDialogClosed) {
  unit_.SetSupply(sim::Supply::BoardPlus12, 10.9);
  view_.SetSensorEditText("Inclinometer");
  ExpectOperatorAndSerial();
  op_.ExpectWindowBox("Warning power supply voltages!!");
  dialog_.OnCommand(ctl::kCalibrate);
  EXPECT_EQ(view_.inclinometerCalRuns, 0);
  EXPECT_TRUE(RecordLines().empty());
}

TEST_F(CalibrateButtonTest, AWrongSerialStopsTheCommandBeforeTheSupplies) {
  view_.SetSensorEditText("Inclinometer");
  op_.ExpectPrompt("Enter operator ID 2/3 chars", "", "ab");
  op_.ExpectPrompt("Enter unit serial No", "123456-007", "1-x");
  op_.ExpectUnownedBox("Illegal character!!");
  dialog_.OnCommand(ctl::kCalibrate);
  EXPECT_EQ(view_.inclinometerCalRuns, 0);
}

TEST_F(CalibrateButtonTest, ClosingTheInclinometerDialogWithoutRunningAnythingWritesNoLine) {
  view_.SetSensorEditText("Inclinometer");
  ExpectOperatorAndSerial();
  dialog_.OnCommand(ctl::kCalibrate);
  EXPECT_EQ(view_.inclinometerCalRuns, 1);
  EXPECT_TRUE(RecordLines().empty());
  EXPECT_TRUE(view_.charts.empty());
}

TEST_F(CalibrateButtonTest, AfterACheckTheWindowShowsItsChartAsStored) {
  view_.SetSensorEditText("Inclinometer");
  ExpectOperatorAndSerial();
  view_.onInclinometerCal = [this](InclinometerCalDialog&) {
    dialog_.inclinometerRun.checkRun = true;
    dialog_.inclinometerRun.checkLevelReading = {0.01, 0.02, true};
  };
  dialog_.OnCommand(ctl::kCalibrate);
  ASSERT_EQ(view_.charts.size(), 1u);
  EXPECT_EQ(view_.charts[0].title, "Inclinometer check of 123456-007, 08/12/2026, AB");
  ASSERT_EQ(view_.charts[0].errors.size(), 2u);
  ASSERT_FALSE(view_.charts[0].errors[1].points.empty());
  EXPECT_EQ(view_.charts[0].errors[1].points[0], (ChartPoint{0, 0.02}));  // the level roll
}

TEST_F(CalibrateButtonTest, StrainGaugeLinesAreWrittenOnceTheDialogHasClosed) {
  unit_.SetRegister(reg::kEnabledSensors, reg::kSensorInclinometer | reg::kSensorStrainGauge);
  dialog_.OnCommand(ctl::kConnect);
  view_.SetSensorEditText("RS485 Strain");
  ExpectOperatorAndSerial();
  view_.onStrainGaugeCal = [this](StrainGaugeCalDialog&) {
    EXPECT_TRUE(RecordLines().empty());
    app_.unit.strainGaugeWarmUpTenths = 25;
  };
  dialog_.OnCommand(ctl::kCalibrate);
  EXPECT_EQ(view_.strainGaugeCalRuns, 1);
  const std::vector<std::string> lines = RecordLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].substr(0, 14), "AB 123456-007 ");
  EXPECT_EQ(lines[0].substr(31), "Warm up period 2.5 secs");
  // The refresh after the dialog shows the unit again.
  EXPECT_NE(view_.pane.find("Pressure cal\t\t"), std::string::npos);
}

}  // namespace
}  // namespace endcap
