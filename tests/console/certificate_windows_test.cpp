// The calibration sheet and certificate prompt windows on the offscreen platform: their
// templates, the sheet button with the prompt over it, and the main window's command.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>
#include <fstream>
#include <sstream>

#include "resources/control_ids.h"
#include "console/qt/certificate_windows.h"
#include "console/qt/main_window.h"
#include "records/certificate_items.h"
#include "resources/certificate_templates.h"
#include "serial/memory_device.h"
#include "tests/console/qt_test_support.h"
#include "tests/console/simulated_station.h"
#include "tests/records/recording_spreadsheet.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/temp_dir.h"

namespace endcap {
namespace {

using testing::WhenModal;

template <class Widget = QWidget>
Widget* ControlAs(const QWidget& dialog, int id) {
  return dialog.findChild<Widget*>(QString::number(id));
}

void Click(const QWidget& dialog, int id) { ControlAs<QPushButton>(dialog, id)->click(); }

// Every control of a template where it puts it, with its text; a dialog widened for its caption
// keeps its controls centred.
void ExpectLayout(const TemplateDialog& window, const resources::DialogTemplate& layout) {
  const DialogBaseUnits base = window.baseUnits();
  const PixelRect size = MapDialogRect(0, 0, layout.w, layout.h, base);
  EXPECT_EQ(window.templateSize(), QSize(size.w, size.h));
  EXPECT_GE(window.width(), size.w);
  const int shift = (window.width() - size.w) / 2;
  EXPECT_EQ(window.windowTitle().toStdString(), layout.caption);
  std::vector<std::string> statics;
  for (QLabel* label : window.findChildren<QLabel*>()) statics.push_back(label->text().toStdString());
  for (size_t i = 0; i < layout.controlCount; ++i) {
    const resources::ControlTemplate& c = layout.controls[i];
    PixelRect r = MapDialogRect(c.x, c.y, c.w, c.h, base);
    r.x += shift;
    if (c.id == resources::kStaticId) {
      EXPECT_NE(std::find(statics.begin(), statics.end(), c.caption), statics.end()) << c.caption;
      continue;
    }
    const QWidget* control = ControlAs(window, c.id);
    ASSERT_NE(control, nullptr) << c.id;
    if (qobject_cast<const QLabel*>(control)) {
      // A text wider than its place grows about its centre, within the dialog.
      EXPECT_EQ(control->y(), r.y) << c.id;
      EXPECT_EQ(control->height(), r.h) << c.id;
      EXPECT_GE(control->width(), r.w) << c.id;
      EXPECT_LE(control->geometry().right(), window.width()) << c.id;
    } else {
      EXPECT_EQ(control->geometry(), QRect(r.x, r.y, r.w, r.h)) << c.id;
    }
    if (auto* button = qobject_cast<const QPushButton*>(control)) {
      EXPECT_EQ(button->text().toStdString(), c.caption);
    }
  }
}

class SheetWindowTest : public ::testing::Test {
protected:
  SheetWindowTest() {
    ports.Attach(1, line);
    LoadDefaultLimits(limits);
    settings.recordFolder = dir.path();
    MakeDirectories(folder);
  }
  std::string Sheet(const std::string& name) const {
    std::ifstream in(folder + name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  testing::TempDir dir;
  std::string folder = dir.path() + "/Endcap/";
  VirtualClock clock;
  MemoryLine line{clock};
  MemoryPortProvider ports;
  SerialPort port{ports, clock};
  testing::ScriptedOperator op;
  UnitState unit;
  DefaultLimits limits;
  RecordSettings settings;
  testing::RecordingSpreadsheet spreadsheet;
  CalSheetDialog logic{op, unit, settings, limits, spreadsheet, folder};
};

TEST_F(SheetWindowTest, TheSheetDialogFollowsItsTemplateAndOffersThePreFilledSerial) {
  logic.serialText = "123456-007";
  CalSheetWindow window(logic, nullptr);
  ExpectLayout(window, resources::kCalSheetDialog);
  EXPECT_EQ(ControlAs<QLineEdit>(window, ctl::sheet::kSerial)->text().toStdString(), "123456-007");
  window.show();
  Click(window, ctl::sheet::kExit);
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(window.result(), QDialog::Accepted);
}

TEST_F(SheetWindowTest, ThePromptFollowsItsTemplateAndNamesTheTemplateFile) {
  CertificatePromptDialog prompt(op, spreadsheet);
  prompt.templateFileName = "Pressure_Certificate.xls";
  prompt.templateFolder = folder;
  CertificatePromptWindow window(prompt, nullptr);
  ExpectLayout(window, resources::kCertificatePromptDialog);
  const QLabel* text = ControlAs<QLabel>(window, ctl::certificate::kTemplateText);
  EXPECT_EQ(text->text().toStdString(), "Pressure_Certificate.xls stored in " + folder);
  const bool whole = text->fontMetrics().horizontalAdvance(text->text()) <= text->width();
  EXPECT_EQ(text->toolTip().isEmpty(), whole);
}

TEST_F(SheetWindowTest, ASheetButtonWritesTheSheetThenThePromptOpensOverTheDialog) {
  StoredResult result;
  result.unitSerial = "123456-007";
  result.key = "3.03.01";
  StoredResult checked = result;
  checked.key = "3.02.01";
  checked.result.day = 8;
  checked.result.month = 12;
  checked.result.year = 26;
  std::string error;
  ASSERT_TRUE(ResultsStoreOf(settings).Store({result, checked}, error)) << error;
  op.ExpectMessage(
      CertificateBox("The certificate is kept as PDF in\r\n" + folder + "123456-007_inclinometer_2026-12-08.pdf"));
  CalSheetWindow window(logic, nullptr);
  ControlAs<QLineEdit>(window, ctl::sheet::kSerial)->setText("123456-7");
  window.show();
  QWidget* promptParent = nullptr;
  WhenModal([&](QWidget* modal) {
    ASSERT_EQ(modal->windowTitle().toStdString(), "Auto launch Excel certificate");
    promptParent = modal->parentWidget();
    EXPECT_EQ(modal->windowModality(), Qt::WindowModal);
    Click(*modal, ctl::certificate::kYes);
  });
  Click(window, ctl::sheet::kInclinometerResults);
  EXPECT_EQ(promptParent, &window);
  EXPECT_EQ(Sheet("calibrate_inclin.csv").substr(0, 31), "123456-007,Remote inclinometer\n");
  EXPECT_EQ(spreadsheet.calls.front(), "Start");
  EXPECT_EQ(spreadsheet.calls.back(), "Release");
  EXPECT_TRUE(window.isVisible());  // the dialog stays for the other sheet
  EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

class MainWindowSheetTest : public ::testing::Test, protected testing::SimulatedStation {
protected:
  MainWindowSheetTest() { app_.SetSpreadsheet(&spreadsheet_); }
  testing::RecordingSpreadsheet spreadsheet_;
  MainWindow window_{app_};
};

TEST_F(MainWindowSheetTest, CalibrationSheetOpensTheSheetDialogOverTheMainWindow) {
  window_.show();
  app_.settings.lastUnitSerial = "654321-002";
  std::string offered;
  WhenModal([&](QWidget* modal) {
    ASSERT_EQ(modal->windowTitle().toStdString(), "Cal sheet for Serial");
    EXPECT_EQ(modal->parentWidget(), &window_);
    EXPECT_EQ(modal->windowModality(), Qt::WindowModal);
    offered = ControlAs<QLineEdit>(*modal, ctl::sheet::kSerial)->text().toStdString();
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  EXPECT_TRUE(window_.logic().OnCommand(ctl::kCalibrationSheet));
  EXPECT_EQ(offered, "654321-002");
  EXPECT_TRUE(spreadsheet_.calls.empty());
}

}  // namespace
}  // namespace endcap
