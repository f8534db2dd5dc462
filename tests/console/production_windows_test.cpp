// The production windows on the offscreen platform: the PCB test dialog over the main window,
// the factory buttons, the progress bar during a load, and the program file dialog.

#include <gtest/gtest.h>

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest/QTest>
#include <filesystem>

#include "resources/control_ids.h"
#include "console/qt/main_window.h"
#include "console/qt/qt_operator.h"
#include "resources/pcb_test_template.h"
#include "tests/console/qt_test_support.h"
#include "tests/console/simulated_station.h"
#include "tests/support/hex_records.h"

namespace endcap {
namespace {

using testing::HexImage;
using testing::SimulatedStation;
using testing::TempDir;
using testing::WaitWhileBusy;
using testing::WhenModal;

template <class Widget = QWidget>
Widget* ControlAs(const QWidget& dialog, int id) {
  return dialog.findChild<Widget*>(QString::number(id));
}

const std::vector<FileFilter> kFirmwareFilters = {{"BootCode (*.hex)", "*.hex"}, {"All (*.*)", "*.*"}};

class ProductionWindowTest : public ::testing::Test, protected SimulatedStation {
protected:
  void Connect() {
    window_.show();
    op_.ExpectChoosePort(1);
    ControlAs<QPushButton>(window_, ctl::kConnect)->click();
    WaitWhileBusy(window_);
    op_.VerifyDone();
  }
  MainWindow window_{app_, true};
};

TEST_F(ProductionWindowTest, FactoryButtonsShowInBothStates) {
  window_.show();
  for (int id : {ctl::kPcbTest, ctl::kCalibrationSheet, ctl::kDevTest, ctl::kConnect})
    EXPECT_TRUE(ControlAs(window_, id)->isVisible()) << id;
  Connect();
  for (int id : {ctl::kPcbTest, ctl::kCalibrationSheet, ctl::kDevTest, ctl::kDisconnect})
    EXPECT_TRUE(ControlAs(window_, id)->isVisible()) << id;
  EXPECT_FALSE(ControlAs(window_, ctl::kConnect)->isVisible());
}

TEST_F(ProductionWindowTest, ThePcbTestDialogRunsItsChecksOverTheMainWindowAndEscapeCancels) {
  Connect();
  op_.ExpectMessage({"Warning!!\r\nContinuing will erase any existing calibration\r\nContinue?", kApplicationName,
                     BoxButtons::YesNo, BoxIcon::Warning, 0, BoxOwner::Window},
                    BoxAnswer::Yes);
  op_.ExpectPrompt("Enter operator ID 2/3 chars", "", "ab").ExpectPrompt("Enter board serial No", "", "123456-7");
  op_.ExpectUnownedBox("Pass", "Internal RS485");
  op_.ExpectWindowBox("Internal RS485 test  PASS");
  bool ran = false;
  WhenModal([&](QWidget* modal) {
    ran = true;
    EXPECT_EQ(modal->windowTitle().toStdString(), "Dialog");
    EXPECT_EQ(modal->parentWidget(), &window_);
    EXPECT_EQ(modal->windowModality(), Qt::WindowModal);
    const DialogBaseUnits base = window_.baseUnits();
    for (const resources::ControlTemplate& c : resources::kPcbTestControls) {
      auto* button = ControlAs<QPushButton>(*modal, c.id);
      ASSERT_TRUE(button) << c.id;
      EXPECT_EQ(button->text().toStdString(), c.caption);
      EXPECT_EQ(button->geometry().topLeft(), QPoint(MapDialogRect(c.x, c.y, c.w, c.h, base).x,
                                                     MapDialogRect(c.x, c.y, c.w, c.h, base).y));
      EXPECT_TRUE(button->isVisible());
    }
    ControlAs<QPushButton>(*modal, ctl::pcb::kCheckInternalRs485)->click();
    WaitWhileBusy(*static_cast<TemplateDialog*>(modal));
    // Enter away from the buttons does not close it; Escape does.
    modal->setFocus();
    QTest::keyClick(modal, Qt::Key_Return);
    EXPECT_TRUE(modal->isVisible());
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  ControlAs<QPushButton>(window_, ctl::kPcbTest)->click();
  WaitWhileBusy(window_);
  op_.VerifyDone();
  EXPECT_TRUE(ran);
  EXPECT_TRUE(window_.isVisible());
}

// Notes the progress bar each time a piece of the program goes out.
class BarWatcher : public LinePeer {
public:
  BarWatcher(MemoryLine& line, LinePeer& unitPeer, sim::SimulatedUnit& unit, QProgressBar& bar)
      : unitPeer_(unitPeer), unit_(unit), bar_(bar) {
    line.SetPeer(this);
  }
  void OnHostBytes(const uint8_t* data, size_t size) override {
    if (unit_.mode() == sim::UnitMode::BootLoader)
      seen.push_back({bar_.minimum(), bar_.maximum(), bar_.value(), bar_.isVisible()});
    unitPeer_.OnHostBytes(data, size);
  }
  struct State {
    int minimum, maximum, value;
    bool visible;
    bool operator==(const State& o) const {
      return minimum == o.minimum && maximum == o.maximum && value == o.value && visible == o.visible;
    }
  };
  std::vector<State> seen;

private:
  LinePeer& unitPeer_;
  sim::SimulatedUnit& unit_;
  QProgressBar& bar_;
};

TEST_F(ProductionWindowTest, TheProgressBarCountsThePiecesAndHidesAtTheEnd) {
  Connect();
  auto* bar = ControlAs<QProgressBar>(window_, ctl::kProgressBar);
  BarWatcher watcher(line_, peer_, unit_, *bar);
  const std::string path = home_.path() + "/p.hex";
  testing::WriteFile(path, HexImage(2, 16));
  op_.ExpectChooseFile("C:\\Microchip\\projects\\6120-047\\", kFirmwareFilters, path);
  op_.ExpectWindowBox("Cycle the unit power to reset it");
  ControlAs<QPushButton>(window_, ctl::kBootload)->click();
  WaitWhileBusy(window_);
  op_.VerifyDone();
  const std::vector<BarWatcher::State> expected = {{0, 3, 0, true}, {0, 3, 1, true}, {0, 3, 2, true}};
  ASSERT_GE(watcher.seen.size(), 3u);
  EXPECT_TRUE(std::vector<BarWatcher::State>(watcher.seen.begin(), watcher.seen.begin() + 3) == expected);
  EXPECT_EQ(bar->value(), 3);
  EXPECT_FALSE(bar->isVisible());
}

class FileDialogTest : public ::testing::Test {
protected:
  FileDialogTest() {
    op_.SetMainWindow(&owner_);
    DriveMap drives;
    drives.Set('C', home_.path());
    op_.SetDriveMap(drives);
  }
  TempDir home_;
  MemoryPortProvider ports_;
  QtOperator op_{ports_};
  QWidget owner_;
};

TEST_F(FileDialogTest, StartsInTheMappedFolderWithBothFiltersAndTakesAnExistingFile) {
  const std::string folder = home_.path() + "/Microchip/projects/6120-047";
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/main.hex";
  testing::WriteFile(path, HexImage(1, 16));
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->parentWidget(), &owner_);
    EXPECT_EQ(dialog->directory().absolutePath().toStdString(), folder);
    EXPECT_EQ(dialog->nameFilters(), (QStringList{"BootCode (*.hex)", "All (*.*)"}));
    EXPECT_EQ(dialog->selectedNameFilter().toStdString(), "BootCode (*.hex)");
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    dialog->selectFile(QString::fromStdString(path));
    static_cast<QDialog*>(dialog)->accept();
  });
  EXPECT_EQ(op_.ChooseOpenFile("C:\\Microchip\\projects\\6120-047\\", kFirmwareFilters), path);
}

TEST_F(FileDialogTest, AMissingFolderStartsWhereQtWouldAndCancelPicksNothing) {
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->directory().absolutePath(), QDir::currentPath());
    dialog->reject();
  });
  EXPECT_EQ(op_.ChooseOpenFile("C:\\Microchip\\projects\\6120-047\\", kFirmwareFilters), "");
}

TEST_F(FileDialogTest, ABoxShownWhileADialogIsOpenOverTheMainWindowBelongsToThatDialog) {
  QDialog dialog(&owner_);
  dialog.setWindowModality(Qt::WindowModal);
  dialog.open();
  WhenModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->parentWidget(), &dialog);
    box->button(QMessageBox::Ok)->click();
  });
  op_.ShowMessage(WindowBox("Current tests  PASS"));
  dialog.close();
}

}  // namespace
}  // namespace endcap
