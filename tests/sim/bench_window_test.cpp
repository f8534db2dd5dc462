// The "Simulated bench" window on the offscreen platform, on a unit with a virtual clock.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include "protocol/modbus_frame.h"
#include "protocol/register_map.h"
#include "serial/clock.h"
#include "sim/qt/bench_window.h"
#include "sim/simulated_unit.h"

namespace endcap {
namespace {

const uint8_t kHandshake[] = {0xFA, 0x04, 0x00, 0x02, 0x00, 0x03, 0x04, 0x40};

class BenchWindowTest : public ::testing::Test {
protected:
  bool Answers() { return !unit_.OnBytes(kHandshake, sizeof kHandshake).empty() || !unit_.OnSilence().empty(); }
  QString Log() { return bench_.findChild<QPlainTextEdit*>("log")->toPlainText(); }
  QString Shown(const char* name) { return bench_.findChild<QLabel*>(name)->text(); }
  // The window looks at the unit on its own, a few times a second.
  bool ShowsWithin(const char* name, const QString& text) {
    return QTest::qWaitFor([&] { return Shown(name) == text; }, 20 * BenchWindow::kRefreshMs);
  }

  VirtualClock clock_;
  sim::SimulatedUnit unit_{clock_};
  BenchWindow bench_{unit_, nullptr};
};

TEST_F(BenchWindowTest, SetsTheUnitsBenchAndSupplies) {
  EXPECT_EQ(bench_.windowTitle().toStdString(), "Simulated bench");
  bench_.findChild<QDoubleSpinBox*>("tilt")->setValue(12.5);
  bench_.findChild<QComboBox*>("rotation")->setCurrentIndex(2);
  bench_.findChild<QDoubleSpinBox*>("pressure")->setValue(300.0);
  bench_.findChild<QDoubleSpinBox*>("atmosphere")->setValue(990.0);
  bench_.findChild<QDoubleSpinBox*>("supply3.3")->setValue(2.5);
  bench_.findChild<QDoubleSpinBox*>("supplyExt+12")->setValue(10.0);
  EXPECT_DOUBLE_EQ(unit_.bench().tiltDeg, 12.5);
  EXPECT_EQ(unit_.bench().rotationDeg, 180);
  EXPECT_DOUBLE_EQ(unit_.bench().appliedPsi, 300.0);
  EXPECT_DOUBLE_EQ(unit_.bench().atmosphereMbar, 990.0);
  EXPECT_DOUBLE_EQ(unit_.supplies().board3V3, 2.5);
  EXPECT_DOUBLE_EQ(unit_.supplies().externalPlus12, 10.0);
}

TEST_F(BenchWindowTest, NamesItsControlsInTheStationsWordsEachWithTheBoxThatAsksForIt) {
  const auto* form = bench_.findChild<QFormLayout*>();
  ASSERT_TRUE(form);
  const auto label = [form, this](const char* name) {
    return qobject_cast<QLabel*>(form->labelForField(bench_.findChild<QWidget*>(name)))->text();
  };
  EXPECT_EQ(label("tilt"), "Pitch tilt (degrees)");
  EXPECT_EQ(label("rotation"), "Bow at (degrees)");
  EXPECT_EQ(label("pressure"), "Dead-weight pressure (psi)");
  EXPECT_EQ(label("powerCycle"), "Unit power");
  EXPECT_EQ(Shown("rotationHint"),
            "for \"Allign bow to 0/90/180/270 degrees\" and \"Position the end cap at the ... degrees position\"");
  for (const char* hint : {"tiltHint", "pressureHint", "atmosphereHint", "suppliesHint", "powerCycleHint"})
    EXPECT_TRUE(Shown(hint).startsWith("for ") || Shown(hint).startsWith("the room")) << hint;
}

TEST_F(BenchWindowTest, PowerCycleBringsTheBoardBackFromItsBootLoader) {
  const modbus::Frame toBootLoader = modbus::WithCrc(modbus::ControlRequest(reg::kBootLoaderFunction, 0));
  unit_.OnBytes(toBootLoader.data(), toBootLoader.size());
  ASSERT_EQ(unit_.mode(), sim::UnitMode::BootLoader);
  bench_.findChild<QPushButton*>("powerCycle")->click();
  EXPECT_EQ(unit_.mode(), sim::UnitMode::Modbus);
  EXPECT_EQ(Log(), "> power-cycle\nok power-cycle");
  EXPECT_EQ(Shown("mode"), "Modbus");
}

TEST_F(BenchWindowTest, InjectedFaultsAreLoggedAsTheirCommandsAndShownUntilCleared) {
  ASSERT_TRUE(Answers());
  EXPECT_EQ(Shown("faults"), "none");
  bench_.findChild<QComboBox*>("fault")->setCurrentIndex(0);
  bench_.findChild<QComboBox*>("faultMode")->setCurrentIndex(1);
  bench_.findChild<QPushButton*>("inject")->click();
  EXPECT_EQ(Log(), "> fault noreply always\nok fault noreply always");
  EXPECT_EQ(Shown("faults"), "noreply:always");
  EXPECT_FALSE(Answers());
  EXPECT_FALSE(Answers());
  bench_.findChild<QPushButton*>("clearFaults")->click();
  EXPECT_EQ(Shown("faults"), "none");
  EXPECT_TRUE(Answers());
  EXPECT_EQ(Log(), "> fault noreply always\nok fault noreply always\n> fault clear\nok fault clear");
}

TEST_F(BenchWindowTest, ShowsWhatTheLineAndTheClockDoToTheUnit) {
  bench_.findChild<QComboBox*>("fault")->setCurrentIndex(1);
  bench_.findChild<QPushButton*>("inject")->click();
  EXPECT_EQ(Shown("faults"), "badcrc:once");
  // The station's next request uses the fault up.
  Answers();
  EXPECT_TRUE(ShowsWithin("faults", "none"));

  EXPECT_EQ(Shown("mode"), "Modbus");
  EXPECT_EQ(Shown("gauge"), "warming up, no value yet");
  unit_.SetAppliedPressure(100.0);
  clock_.Advance(1000);
  EXPECT_TRUE(ShowsWithin("gauge", "measuring: 110.200 psi"));
  unit_.SetRegister(reg::kEnabledSensors, reg::kSensorInclinometer);
  EXPECT_TRUE(ShowsWithin("gauge", "off"));
}

TEST_F(BenchWindowTest, RunsTypedCommandsAndLogsThoseOfTheStandardInput) {
  auto* command = bench_.findChild<QLineEdit*>("command");
  QTest::keyClicks(command, "tilt 7.25");
  QTest::keyClick(command, Qt::Key_Return);
  EXPECT_DOUBLE_EQ(unit_.bench().tiltDeg, 7.25);
  EXPECT_DOUBLE_EQ(bench_.findChild<QDoubleSpinBox*>("tilt")->value(), 7.25);
  EXPECT_EQ(command->text(), "");
  EXPECT_EQ(Log(), "> tilt 7.25\nok tilt 7.250");

  // A command that came from elsewhere changes the window at its next look.
  unit_.SetTilt(-3.0);
  bench_.LogCommand("tilt -3", "ok tilt -3.000", "input");
  EXPECT_EQ(Log(), "> tilt 7.25\nok tilt 7.250\ninput> tilt -3\nok tilt -3.000");
  EXPECT_TRUE(QTest::qWaitFor([&] { return bench_.findChild<QDoubleSpinBox*>("tilt")->value() == -3.0; },
                              20 * BenchWindow::kRefreshMs));
}

}  // namespace
}  // namespace endcap
