// The Qt windows on the offscreen platform: layout, visibility, keys, the pane as the commands
// leave it, the two small dialogs and the operator's boxes.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QWindow>
#include <QtTest/QTest>

#include <algorithm>

#include "resources/control_ids.h"
#include "console/display_text.h"
#include "console/qt/main_window.h"
#include "console/qt/port_chooser_window.h"
#include "console/qt/qt_operator.h"
#include "console/qt/text_entry_window.h"
#include "serial/memory_device.h"
#include "sim/memory_unit_peer.h"
#include "tests/console/qt_test_support.h"
#include "tests/console/simulated_station.h"
#include "tests/support/scripted_operator.h"
#include "unit/unit_identity.h"

namespace endcap {
namespace {

using testing::ScriptedOperator;
using testing::SimulatedStation;
using testing::WaitWhileBusy;
using testing::WhenModal;

template <class Widget = QWidget>
Widget* ControlAs(const QWidget& dialog, int id) {
  return dialog.findChild<Widget*>(QString::number(id));
}

// The main window on the simulated unit over an in-memory line, COM1.
class MainWindowTest : public ::testing::Test, protected SimulatedStation {
protected:
  QPlainTextEdit* Pane() { return ControlAs<QPlainTextEdit>(window_, ctl::kStatusPane); }
  QComboBox* Sensors() { return ControlAs<QComboBox>(window_, ctl::kSensorList); }
  void Click(int id) {
    ControlAs<QPushButton>(window_, id)->click();
    WaitWhileBusy(window_);
  }
  void ExpectShown(std::initializer_list<int> shown, std::initializer_list<int> hidden) {
    for (int id : shown) EXPECT_TRUE(ControlAs(window_, id)->isVisible()) << id;
    for (int id : hidden) EXPECT_FALSE(ControlAs(window_, id)->isVisible()) << id;
  }

  MainWindow window_{app_};
};

TEST_F(MainWindowTest, StartsWithConnectExitThePaneAndTheProgressBar) {
  window_.show();
  EXPECT_EQ(window_.windowTitle().toStdString(), "Remote inclinometer calibrate V1.000.007 Offshore Version");
  ExpectShown({ctl::kConnect, ctl::kExit, ctl::kStatusPane, ctl::kProgressBar},
              {ctl::kDisconnect, ctl::kBootload, ctl::kSetModbusAddress, ctl::kSensorList, ctl::kEnable, ctl::kDisable,
               ctl::kCalibrate, ctl::kRead, ctl::kPcbTest, ctl::kCalibrationSheet, ctl::kDevTest});
  EXPECT_EQ(Pane()->toPlainText(), "");
  EXPECT_EQ(ControlAs<QProgressBar>(window_, ctl::kProgressBar)->value(), 0);
  EXPECT_EQ(Sensors()->count(), 0);
}

// A caption bar without system menu, close, minimise or maximise box.
void ExpectCaptionBarOnly(const QWidget& window) {
  const Qt::WindowFlags flags = window.windowFlags();
  EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
  EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
  EXPECT_TRUE(flags & Qt::WindowTitleHint);
  EXPECT_FALSE(flags & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                        Qt::WindowMaximizeButtonHint | Qt::WindowContextHelpButtonHint));
}

// The template's height, and its width unless the whole caption needs more; the controls
// then keep the template's layout, moved right by half the extra width.
void ExpectWideEnoughForItsCaption(const TemplateDialog& dialog, const resources::DialogTemplate& layout) {
  const std::string caption = dialog.windowTitle().toStdString();
  const PixelRect templateSize = MapDialogRect(0, 0, layout.w, layout.h, dialog.baseUnits());
  const int width = std::max(templateSize.w, CaptionWidth(dialog.windowTitle()));
  EXPECT_EQ(dialog.size(), QSize(width, templateSize.h)) << caption;
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << caption;
  for (size_t i = 0; i < layout.controlCount; ++i) {
    const resources::ControlTemplate& c = layout.controls[i];
    const PixelRect r = MapDialogRect(c.x, c.y, c.w, c.h, dialog.baseUnits());
    EXPECT_EQ(dialog.control(c.id)->pos(), QPoint(r.x + (width - templateSize.w) / 2, r.y)) << caption << " " << c.id;
  }
}

TEST_F(MainWindowTest, HasNoCloseBoxAndEveryControlWhereItsTemplatePutsIt) {
  ExpectCaptionBarOnly(window_);
  const DialogBaseUnits base = window_.baseUnits();
  ASSERT_GT(base.x, 0);
  const PixelRect size = MapDialogRect(0, 0, 413, 241, base);
  EXPECT_EQ(window_.size(), QSize(size.w, size.h));
  for (const resources::ControlTemplate& c : resources::kMainControls) {
    const PixelRect r = MapDialogRect(c.x, c.y, c.w, c.h, base);
    const QRect g = ControlAs(window_, c.id)->geometry();
    EXPECT_EQ(g.topLeft(), QPoint(r.x, r.y)) << c.id;
    EXPECT_EQ(g.width(), r.w) << c.id;
    if (c.kind != resources::ControlKind::ComboBox) {
      EXPECT_EQ(g.height(), r.h) << c.id;
    }
    if (auto* button = qobject_cast<QPushButton*>(ControlAs(window_, c.id))) {
      EXPECT_EQ(button->text().toStdString(), c.caption) << c.id;
    }
  }
  EXPECT_TRUE(Sensors()->isEditable());
  EXPECT_EQ(Pane()->font().family().toStdString(), "Courier");
  EXPECT_EQ(Pane()->font().pointSize(), window_.font().pointSize());
  EXPECT_DOUBLE_EQ(Pane()->tabStopDistance(), 8 * QFontMetricsF(Pane()->font()).horizontalAdvance(QLatin1Char(' ')));
}

TEST_F(MainWindowTest, EscapeIsTheCancelEndingAndEnterTheOkEnding) {
  window_.show();
  QTest::keyClick(&window_, Qt::Key_Escape);
  EXPECT_FALSE(window_.isVisible());
  EXPECT_EQ(window_.result(), QDialog::Rejected);
  window_.show();
  QTest::keyClick(&window_, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_FALSE(window_.isVisible());
  EXPECT_EQ(window_.result(), QDialog::Accepted);
}

TEST_F(MainWindowTest, EnterOnAFocusedButtonRunsItsCommand) {
  window_.show();
  window_.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
  ControlAs(window_, ctl::kConnect)->setFocus();
  op_.ExpectChoosePort(0).ExpectWindowBox("Failed to Connect at all!!");
  QTest::keyClick(ControlAs(window_, ctl::kConnect), Qt::Key_Return);
  WaitWhileBusy(window_);
  op_.VerifyDone();
  EXPECT_TRUE(window_.isVisible());
}

TEST_F(MainWindowTest, ConnectShowsTheUnitAndDisconnectSaysSo) {
  window_.show();
  op_.ExpectChoosePort(1);
  Click(ctl::kConnect);
  op_.VerifyDone();
  EXPECT_EQ(Pane()->toPlainText().toStdString(), ToDisplayText(FormatUnitInfo(app_.unit)));
  EXPECT_TRUE(Pane()->toPlainText().startsWith("Overall unit serial\t"));
  ExpectShown({ctl::kDisconnect, ctl::kBootload, ctl::kSetModbusAddress, ctl::kSensorList, ctl::kEnable, ctl::kDisable,
               ctl::kCalibrate, ctl::kRead, ctl::kExit},
              {ctl::kConnect, ctl::kPcbTest, ctl::kCalibrationSheet, ctl::kDevTest});
  ASSERT_EQ(Sensors()->count(), 2);
  EXPECT_EQ(Sensors()->itemText(1).toStdString(), "RS485 Strain");
  EXPECT_EQ(Sensors()->currentText().toStdString(), "Inclinometer");
  Click(ctl::kDisconnect);
  EXPECT_EQ(Pane()->toPlainText().toStdString(), "Disconnected");
  ExpectShown({ctl::kConnect, ctl::kExit}, {ctl::kDisconnect, ctl::kRead, ctl::kSensorList});
}

TEST_F(MainWindowTest, ReadShowsTheReadingOnTwoLines) {
  sim::SensorTruth truth = unit_.truth();
  truth.offsetA = truth.offsetB = 32768.0;
  truth.gainA = truth.gainB = 20000.0;
  unit_.SetSensorTruth(truth);
  unit_.SetTilt(30.0);
  window_.show();
  op_.ExpectChoosePort(1);
  Click(ctl::kConnect);
  Click(ctl::kRead);
  EXPECT_EQ(Pane()->toPlainText().toStdString(), "Pitch   30.000001 Degrees\nRoll    0.000000 Degrees");
  Sensors()->setCurrentIndex(1);
  Click(ctl::kRead);
  const QString pane = Pane()->toPlainText();
  EXPECT_TRUE(QRegularExpression("^Pressure -?[0-9]+\\.[0-9]{6} PSI$").match(pane).hasMatch()) << pane.toStdString();
}

TEST_F(MainWindowTest, ThePaneIsReadOnlyAndShowsEachNewTextFromTheTop) {
  window_.show();
  EXPECT_TRUE(Pane()->isReadOnly());
  std::string lines;
  for (int k = 0; k < 200; ++k) lines += "a line long enough to need the horizontal scroll bar as well, line " + std::to_string(k) + "\r\n";
  window_.SetPaneText(lines);
  Pane()->moveCursor(QTextCursor::End);
  Pane()->horizontalScrollBar()->setValue(Pane()->horizontalScrollBar()->maximum());
  ASSERT_GT(Pane()->verticalScrollBar()->value(), 0);
  window_.SetPaneText(lines + "one more\r\n");
  EXPECT_EQ(Pane()->verticalScrollBar()->value(), 0);
  EXPECT_EQ(Pane()->horizontalScrollBar()->value(), 0);
}

TEST_F(MainWindowTest, WhatACommandLeftInThePaneSurvivesUntilTheNextWriter) {
  window_.show();
  op_.ExpectChoosePort(1);
  Click(ctl::kConnect);
  Pane()->setPlainText("note\nsecond line");
  Sensors()->setEditText("Thermometer");
  op_.ExpectWindowBox("Unknown sensor error");
  Click(ctl::kRead);
  op_.VerifyDone();
  EXPECT_EQ(Pane()->toPlainText().toStdString(), "note\nsecond line");
  EXPECT_EQ(window_.logic().statusText, "note\r\nsecond line");
  EXPECT_EQ(Sensors()->currentText().toStdString(), "Thermometer");
  EXPECT_EQ(Sensors()->currentIndex(), -1);
}

MemoryPortProvider Wired(MemoryLine& com1, MemoryLine& com3) {
  MemoryPortProvider ports;
  ports.Attach(1, com1);
  ports.Attach(3, com3);
  return ports;
}

class PortChooserWindowTest : public ::testing::Test {
protected:
  QComboBox* List() { return ControlAs<QComboBox>(window_, ctl::kPortList); }

  VirtualClock clock_;
  MemoryLine com1_{clock_}, com3_{clock_};
  MemoryPortProvider ports_ = Wired(com1_, com3_);
  PortChooserWindow window_{ports_, nullptr};
};

TEST_F(PortChooserWindowTest, ListsTheFreePortsWithComOneSelectedAndSelectTakesTheChoice) {
  EXPECT_EQ(window_.windowTitle().toStdString(), "Choose comm port");
  ASSERT_EQ(List()->count(), 2);
  EXPECT_EQ(List()->itemText(0).toStdString(), "COMM  1");
  EXPECT_EQ(List()->itemText(1).toStdString(), "COMM  3");
  EXPECT_EQ(List()->currentText().toStdString(), "COMM  1");
  EXPECT_TRUE(List()->isEditable());
  EXPECT_FALSE(ControlAs<QPushButton>(window_, ctl::kSelectPort)->isDefault());
  window_.show();
  List()->setCurrentIndex(1);
  ControlAs<QPushButton>(window_, ctl::kSelectPort)->click();
  EXPECT_EQ(window_.logic().port, 3);
  EXPECT_EQ(window_.result(), QDialog::Accepted);
}

TEST_F(PortChooserWindowTest, SelectTakesATypedNumberWithoutAddingIt) {
  window_.show();
  List()->lineEdit()->selectAll();
  QTest::keyClicks(List()->lineEdit(), "port 12");
  ControlAs<QPushButton>(window_, ctl::kSelectPort)->click();
  EXPECT_EQ(window_.logic().port, 12);
  EXPECT_EQ(List()->count(), 2);
}

TEST_F(PortChooserWindowTest, TheEnterKeyChoosesNothing) {
  window_.show();
  QTest::keyClick(List()->lineEdit(), Qt::Key_Return);
  EXPECT_FALSE(window_.isVisible());
  EXPECT_EQ(window_.logic().port, 0);
  EXPECT_EQ(window_.result(), QDialog::Accepted);
}

TEST_F(PortChooserWindowTest, ChoosePortRunsTheChooserModallyAndEscapeChoosesNothing) {
  QtOperator op(ports_);
  WhenModal([](QWidget* modal) {
    ASSERT_EQ(modal->windowTitle().toStdString(), "Choose comm port");
    ControlAs<QPushButton>(*modal, ctl::kSelectPort)->click();
  });
  EXPECT_EQ(op.ChoosePort(), 1);
  WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
  EXPECT_EQ(op.ChoosePort(), 0);
}

class TextEntryWindowTest : public ::testing::Test {
protected:
  MemoryPortProvider ports_;
  QtOperator op_{ports_};
};

TEST_F(TextEntryWindowTest, ShowsTheDefaultSelectedAndEscapeGivesItBack) {
  WhenModal([](QWidget* modal) {
    EXPECT_EQ(modal->windowTitle().toStdString(), "Enter Modbus address for unit");
    auto* edit = ControlAs<QLineEdit>(*modal, ctl::kEntryText);
    EXPECT_EQ(edit->text().toStdString(), "250");
    EXPECT_EQ(edit->selectedText().toStdString(), "250");
    EXPECT_TRUE(ControlAs<QPushButton>(*modal, ctl::kEnterText)->isDefault());
    QTest::keyClicks(edit, "17");
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  EXPECT_EQ(op_.PromptText("Enter Modbus address for unit", "250"), "250");
}

TEST_F(TextEntryWindowTest, TheEnterKeyTakesTheTypedText) {
  WhenModal([](QWidget* modal) {
    auto* edit = ControlAs<QLineEdit>(*modal, ctl::kEntryText);
    QTest::keyClicks(edit, "ab");
    QTest::keyClick(edit, Qt::Key_Return);
  });
  EXPECT_EQ(op_.PromptText("Enter operator ID 2/3 chars", ""), "ab");
}

TEST_F(TextEntryWindowTest, EnterWithTheEditClearedGivesAnEmptyText) {
  WhenModal([](QWidget* modal) {
    ControlAs<QLineEdit>(*modal, ctl::kEntryText)->clear();
    ControlAs<QPushButton>(*modal, ctl::kEnterText)->click();
  });
  EXPECT_EQ(op_.PromptText("Enter Modbus address for unit", "250"), "");
}

// The three template windows: no box but the caption, each as wide as its whole caption.
TEST(TemplateWindows, HaveACaptionBarOnlyAndTheirWholeCaptionFits) {
  SimulatedStation station;
  MainWindow main(station.app_);
  ExpectCaptionBarOnly(main);
  ExpectWideEnoughForItsCaption(main, resources::kMainDialog);
  // The main window's template is wider than its title.
  EXPECT_EQ(main.size(), main.templateSize());

  MemoryPortProvider ports;
  PortChooserWindow chooser(ports, &main);
  ExpectCaptionBarOnly(chooser);
  ExpectWideEnoughForItsCaption(chooser, resources::kPortChooserDialog);

  TextEntryWindow entry(&main);
  ExpectCaptionBarOnly(entry);
  for (const char* caption : {"Enter operator ID 2/3 chars", "Dead weight tester Ident. No",
                              "Atmospheric pressure (millibar)", "Enter Modbus address for unit", "Enter", ""}) {
    entry.logic().caption = caption;
    entry.Start();
    ExpectWideEnoughForItsCaption(entry, resources::kTextEntryDialog);
  }
  entry.logic().caption = "Enter operator ID 2/3 chars";
  entry.Start();
  EXPECT_GT(entry.width(), entry.templateSize().width());
}

TEST_F(MainWindowTest, ACloseRequestIsTheExitButton) {
  window_.show();
  op_.ExpectChoosePort(1);
  Click(ctl::kConnect);
  op_.ExpectWindowBox("You are still connected");
  EXPECT_FALSE(window_.windowHandle()->close());
  WaitWhileBusy(window_);
  op_.VerifyDone();
  EXPECT_TRUE(window_.isVisible());
  Click(ctl::kDisconnect);
  window_.windowHandle()->close();
  WaitWhileBusy(window_);
  EXPECT_FALSE(window_.isVisible());
  EXPECT_EQ(window_.result(), QDialog::Accepted);
}

TEST_F(TextEntryWindowTest, ACloseRequestGivesTheDefaultBack) {
  WhenModal([](QWidget* modal) {
    QTest::keyClicks(ControlAs<QLineEdit>(*modal, ctl::kEntryText), "17");
    modal->windowHandle()->close();
  });
  EXPECT_EQ(op_.PromptText("Enter Modbus address for unit", "250"), "250");
}

TEST_F(PortChooserWindowTest, ACloseRequestChoosesNothing) {
  QtOperator op(ports_);
  WhenModal([](QWidget* modal) { modal->windowHandle()->close(); });
  EXPECT_EQ(op.ChoosePort(), 0);
}

class QtOperatorBoxTest : public ::testing::Test {
protected:
  MemoryPortProvider ports_;
  QtOperator op_{ports_};
  QWidget owner_;
};

TEST_F(QtOperatorBoxTest, AWindowBoxIsOwnedWithTheApplicationsNameAndLineBreaks) {
  op_.SetMainWindow(&owner_);
  WhenModal([this](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->parentWidget(), &owner_);
    EXPECT_EQ(box->windowTitle().toStdString(), "Remote inclinometer calibrate");
    EXPECT_EQ(box->text().toStdString(), "Failed to connect to the External inclinometer\nHas the board been programmed??");
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    ASSERT_EQ(box->buttons().size(), 1);
    box->button(QMessageBox::Ok)->click();
  });
  EXPECT_EQ(op_.ShowMessage(WindowBox("Failed to connect to the External inclinometer\r\nHas the board been programmed??")),
            BoxAnswer::Ok);
}

TEST_F(QtOperatorBoxTest, ABoxIsAtLeastAsWideAsItsCaptionInTheTitleFont) {
  const QString caption = "Remote inclinometer calibrate: a caption far longer than the text under it";
  int width = 0;
  WhenModal([&width](QWidget* modal) {
    width = modal->width();
    qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Ok)->click();
  });
  op_.ShowMessage(UnownedBox("Pass", caption.toStdString()));
  EXPECT_GE(width, QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(caption));
}

TEST_F(QtOperatorBoxTest, AnUnownedQuestionHasTheDefaultCaptionAndItsDefaultButton) {
  op_.SetMainWindow(&owner_);
  MessageBox question = UnownedBox("Replace?", "", BoxButtons::YesNo);
  question.defaultButton = 1;
  WhenModal([](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->parentWidget(), nullptr);
    EXPECT_EQ(box->windowTitle().toStdString(), "Error");
    EXPECT_EQ(box->buttons().size(), 2);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
    box->button(QMessageBox::Yes)->click();
  });
  EXPECT_EQ(op_.ShowMessage(question), BoxAnswer::Yes);
}

TEST_F(QtOperatorBoxTest, ACheckPointOffersAbortRetryIgnoreWithoutIcon) {
  const MessageBox check{"Out of tolerance", "Confirm result", BoxButtons::AbortRetryIgnore, BoxIcon::None, 0,
                         BoxOwner::None};
  WhenModal([](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
    EXPECT_EQ(box->buttons().size(), 3);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Abort));
    box->button(QMessageBox::Retry)->click();
  });
  EXPECT_EQ(op_.ShowMessage(check), BoxAnswer::Retry);
}

}  // namespace
}  // namespace endcap
