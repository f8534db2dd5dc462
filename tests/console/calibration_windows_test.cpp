// The calibration dialogs' windows on the offscreen platform: controls, captions, labels and
// first values, modality over the window that opens them, and the boxes over them.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest/QTest>

#include "resources/control_ids.h"
#include "console/qt/calibration_windows.h"
#include "console/qt/main_window.h"
#include "console/qt/qt_operator.h"
#include "protocol/register_map.h"
#include "resources/calibration_templates.h"
#include "tests/console/qt_test_support.h"
#include "tests/console/simulated_station.h"
#include "unit/unit_identity.h"

namespace endcap {
namespace {

using testing::SimulatedStation;
using testing::WaitWhileBusy;
using testing::WhenModal;

template <class Widget = QWidget>
Widget* ControlAs(const QWidget& dialog, int id) {
  return dialog.findChild<Widget*>(QString::number(id));
}

std::vector<std::string> Labels(const QWidget& window) {
  std::vector<std::string> texts;
  for (const QLabel* label : window.findChildren<QLabel*>()) texts.push_back(label->text().toStdString());
  return texts;
}

// Every control at its template's place, all moved right alike when the dialog is widened for
// its caption.
void ExpectLaidOut(const TemplateDialog& window, const resources::DialogTemplate& layout) {
  const PixelRect size = MapDialogRect(0, 0, layout.w, layout.h, window.baseUnits());
  EXPECT_EQ(window.templateSize(), QSize(size.w, size.h));
  EXPECT_GE(window.width(), size.w);
  const int shift = (window.width() - size.w) / 2;
  const QList<QLabel*> labels = window.findChildren<QLabel*>();
  int label = 0;
  for (size_t i = 0; i < layout.controlCount; ++i) {
    const resources::ControlTemplate& c = layout.controls[i];
    const PixelRect r = MapDialogRect(c.x, c.y, c.w, c.h, window.baseUnits());
    const QWidget* control = c.id == resources::kStaticId ? labels.value(label++) : ControlAs(window, c.id);
    ASSERT_NE(control, nullptr) << c.id << " " << c.caption;
    EXPECT_EQ(control->geometry(), QRect(r.x + shift, r.y, r.w, r.h)) << c.id << " " << c.caption;
  }
}

class CalibrationWindowTest : public ::testing::Test, protected SimulatedStation {
protected:
  CalibrationWindowTest() {
    port_.OpenOnPort(1);
    ReadUnitInfo(app_.client, app_.unit);
  }
  ProcedureContext Context() {
    return {app_.client, app_.unit, app_.op(), app_.settings.limits, app_.settings.records.operatorId};
  }
  QWidget owner_;
  InclinometerRun inclinometerRun_;
  StrainGaugeRun gaugeRun_;
};

TEST_F(CalibrationWindowTest, InclinometerDialogShowsTheUnitsSettingsOverItsOwner) {
  InclinometerCalDialog logic(Context(), inclinometerRun_);
  InclinometerCalWindow window(logic, &owner_);
  EXPECT_EQ(window.windowTitle().toStdString(), "Calibration");
  EXPECT_EQ(window.parentWidget(), &owner_);
  EXPECT_EQ(window.windowModality(), Qt::WindowModal);
  ExpectLaidOut(window, resources::kInclinometerCalDialog);
  EXPECT_EQ(Labels(window),
            (std::vector<std::string>{"Pitch", "Degrees", "Roll", "Degrees", "Samples", "Warm up (secs)"}));
  const std::pair<int, const char*> buttons[] = {{ctl::incl::kCalibrate, "Calibrate"},
                                                 {ctl::incl::kConfirm, "Confirm calibration"},
                                                 {ctl::incl::kRead, "Read Inclinometer"},
                                                 {ctl::incl::kSetSamples, "Set samples and warm up"},
                                                 {ctl::incl::kExit, "Exit"}};
  for (const auto& [id, caption] : buttons) EXPECT_EQ(ControlAs<QPushButton>(window, id)->text().toStdString(), caption);
  EXPECT_EQ(ControlAs<QLineEdit>(window, ctl::incl::kSamples)->text(), "10");
  EXPECT_EQ(ControlAs<QLineEdit>(window, ctl::incl::kWarmUp)->text(), "2.0");
  EXPECT_EQ(ControlAs<QLineEdit>(window, ctl::incl::kPitch)->text(), "");
  EXPECT_EQ(ControlAs<QLineEdit>(window, ctl::incl::kPitch)->alignment() & Qt::AlignRight, Qt::AlignRight);

  ControlAs<QLineEdit>(window, ctl::incl::kSamples)->setText("16");
  ControlAs<QPushButton>(window, ctl::incl::kSetSamples)->click();
  EXPECT_EQ(unit_.Register(reg::kInclinometerSamples), 16);
  ControlAs<QPushButton>(window, ctl::incl::kExit)->click();
  EXPECT_EQ(window.result(), QDialog::Accepted);
}

TEST_F(CalibrationWindowTest, StrainGaugeDialogShowsTheGaugesSettings) {
  StrainGaugeCalDialog logic(Context(), gaugeRun_);
  StrainGaugeCalWindow window(logic, &owner_);
  EXPECT_EQ(window.windowTitle().toStdString(), "Strain gauge calibrate");
  EXPECT_EQ(window.windowModality(), Qt::WindowModal);
  ExpectLaidOut(window, resources::kStrainGaugeCalDialog);
  EXPECT_EQ(Labels(window), (std::vector<std::string>{"Full scale", "Bar", "Accuracy", "%", "Secs", "Psi"}));
  EXPECT_EQ(ControlAs<QLineEdit>(window, ctl::strain::kFullScale)->text(), "100.0");
  EXPECT_EQ(ControlAs<QLineEdit>(window, ctl::strain::kAccuracy)->text(), "0.10");
  EXPECT_EQ(ControlAs<QLineEdit>(window, ctl::strain::kWarmUp)->text(), "1.0");
  EXPECT_EQ(ControlAs<QPushButton>(window, ctl::strain::kSetAndCalibrate)->text(), "Set and calibrate");
  EXPECT_EQ(ControlAs<QPushButton>(window, ctl::strain::kSetWarmUp)->text(), "Set warm up");
  EXPECT_EQ(ControlAs<QPushButton>(window, ctl::strain::kReadPressure)->text(), "Read pressure");

  ControlAs<QLineEdit>(window, ctl::strain::kWarmUp)->setText("3");
  ControlAs<QPushButton>(window, ctl::strain::kSetWarmUp)->click();
  EXPECT_EQ(unit_.Register(reg::kPressureWarmUp), 30);
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_EQ(window.result(), QDialog::Rejected);
}

TEST_F(CalibrationWindowTest, PressureDialogOpensOverTheGaugeDialogAndRefusesTooMuch) {
  StrainGaugeCalDialog logic(Context(), gaugeRun_);
  StrainGaugeCalWindow window(logic, &owner_);
  PressureSetDialog pressure(app_.op());
  pressure.percentOfFullScale = 100;
  pressure.fullScalePsi = 1450;
  op_.ExpectMessage(
      DialogBox("Applied presure must not exceed Full scale of 1450!!", kApplicationName, BoxButtons::Ok, BoxIcon::Warning));
  WhenModal([&window](QWidget* modal) {
    EXPECT_EQ(modal->windowTitle().toStdString(), "Set measurement pressure");
    EXPECT_EQ(modal->parentWidget(), &window);
    EXPECT_EQ(modal->windowModality(), Qt::WindowModal);
    ExpectLaidOut(*static_cast<TemplateDialog*>(modal), resources::kPressureSetDialog);
    EXPECT_EQ(Labels(*modal), std::vector<std::string>{"PSi"});
    auto* edit = ControlAs<QLineEdit>(*modal, ctl::pressure::kPressure);
    EXPECT_EQ(edit->text(), "1400.000");
    EXPECT_EQ(edit->selectedText(), "1400.000");
    edit->setText("1450.5");
    QTest::keyClick(edit, Qt::Key_Return);  // the default button: refused, the dialog stays
    EXPECT_TRUE(modal->isVisible());
    edit->setText("1450");
    QTest::keyClick(edit, Qt::Key_Return);
  });
  window.RunPressureSetDialog(pressure);
  EXPECT_EQ(pressure.appliedText, "1450");
}

TEST_F(CalibrationWindowTest, CalibrateOpensTheDialogWindowModalOverTheMainWindow) {
  MainWindow main(app_);
  op_.ExpectChoosePort(1);
  ControlAs<QPushButton>(main, ctl::kConnect)->click();
  WaitWhileBusy(main);
  op_.ExpectPrompt("Enter operator ID 2/3 chars", "", "ab");
  op_.ExpectPrompt("Enter unit serial No", "", "123456-007");
  WhenModal([&main](QWidget* modal) {
    EXPECT_EQ(modal->windowTitle().toStdString(), "Calibration");
    EXPECT_EQ(modal->parentWidget(), &main);
    EXPECT_EQ(modal->windowModality(), Qt::WindowModal);
    ControlAs<QPushButton>(*modal, ctl::incl::kExit)->click();
  });
  ControlAs<QPushButton>(main, ctl::kCalibrate)->click();
  WaitWhileBusy(main);
  op_.VerifyDone();
}

TEST(CalibrationBoxes, OwnedBoxesAndPromptsOpenOverTheDialogInUse) {
  MemoryPortProvider ports;
  QtOperator op(ports);
  QWidget main;
  op.SetMainWindow(&main);
  VirtualClock clock;
  SerialPort port(ports, clock);
  UnitClient client(port);
  UnitState unit;
  DefaultLimits limits;
  const std::string operatorId;
  InclinometerRun run;
  InclinometerCalDialog logic({client, unit, op, limits, operatorId}, run);
  InclinometerCalWindow window(logic, &main);
  WhenModal([&](QWidget* dialog) {
    ASSERT_EQ(dialog, &window);
    WhenModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_TRUE(box);
      EXPECT_EQ(box->parentWidget(), &window);
      EXPECT_EQ(box->windowModality(), Qt::WindowModal);
      EXPECT_EQ(box->icon(), QMessageBox::Question);
      EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Retry));
      box->button(QMessageBox::Ignore)->click();
    });
    EXPECT_EQ(op.ShowMessage(DialogBox("Measured values", "Confirm result", BoxButtons::AbortRetryIgnore,
                                       BoxIcon::Question, 1)),
              BoxAnswer::Ignore);
    window.reject();
  });
  window.exec();
}

}  // namespace
}  // namespace endcap
