// The main window's Calibration sheet command: no connection needed, the serial of the last
// unit disconnected offered, the sheet written to the certificate folder on drive Q from the
// results store in the status folder, the window left as it was.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "resources/control_ids.h"
#include "console/main_dialog.h"
#include "records/certificate_items.h"
#include "records/drive_map.h"
#include "records/results_record.h"
#include "serial/memory_device.h"
#include "tests/console/fake_views.h"
#include "tests/records/fake_sheet_views.h"
#include "tests/records/recording_spreadsheet.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/temp_dir.h"

namespace endcap {
namespace {

class CalSheetCommandTest : public ::testing::Test {
protected:
  CalSheetCommandTest() {
    ports_.Attach(1, line_);
    app_.SetSpreadsheet(&spreadsheet_);
    dialog_.OnInitDialog();
    MakeDirectories(folder_);
    view_.onCalSheet = [this](CalSheetDialog& dialog) {
      dialog.Attach(sheetView_);
      dialog.OnInitDialog();
      offered_ = sheetView_.serial;
      if (!typed_.empty()) sheetView_.serial = typed_;
      dialog.OnCommand(ctl::sheet::kInclinometerResults);
      dialog.OnCommand(ctl::sheet::kExit);
    };
  }
  static DriveMap Drives(const std::string& dir) {
    DriveMap drives;
    drives.Set('C', dir + "/home");
    drives.Set('Q', dir + "/q");
    return drives;
  }
  std::string Sheet() const {
    std::ifstream in(folder_ + "calibrate_inclin.csv");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  testing::TempDir dir_;
  std::string folder_ = dir_.path() + "/q/CALIBRAT/Drelvik5/Endcap/";
  VirtualClock clock_;
  MemoryLine line_{clock_};
  MemoryPortProvider ports_;
  SerialPort port_{ports_, clock_};
  testing::ScriptedOperator op_;
  TesterApp app_{port_, op_, Drives(dir_.path())};
  testing::FakeMainView view_;
  MainDialog dialog_{app_, view_};
  testing::RecordingSpreadsheet spreadsheet_;
  testing::FakeCalSheetView sheetView_;
  std::string typed_;
  std::string offered_;
};

TEST_F(CalSheetCommandTest, WritesTheSheetOfTheStoredCheckWithoutTouchingTheUnitOrTheWindow) {
  // A check recorded for the unit earlier in the run, then Disconnect.
  app_.unit.unitSerial = "123456-007";
  app_.settings.records.operatorId = "AB";
  dialog_.inclinometerRun.checkRun = true;
  dialog_.inclinometerRun.checkLevelReading = {0.01, 0.02, true};
  RecordInclinometerCalibration(app_.settings.records, app_.unit, dialog_.inclinometerRun, app_.op(),
                                app_.client.clock());
  app_.settings.lastUnitSerial = "123456-007";
  view_.pane = "Disconnected";

  dialog_.OnCommand(ctl::kCalibrationSheet);
  EXPECT_EQ(offered_, "123456-007");
  const std::string sheet = Sheet();
  EXPECT_EQ(sheet.substr(0, sheet.find('\n', sheet.find('\n') + 1) + 1),
            "123456-007,Remote inclinometer\nAB,08/12/2026\n");
  EXPECT_NE(sheet.find("\n0.010,0.000,0.010,0.050,PASS\n"), std::string::npos) << sheet;
  EXPECT_EQ(sheetView_.prompts,
            std::vector<std::string>{"IntInclinometerCertificate.xls stored in " + folder_});
  EXPECT_EQ(sheetView_.ended, 1);
  EXPECT_TRUE(line_.writes().empty());
  EXPECT_EQ(view_.pane, "Disconnected");
  EXPECT_FALSE(dialog_.connected);
}

TEST_F(CalSheetCommandTest, AtStartNoSerialIsOfferedAndAnEmptyOneIsRefused) {
  op_.ExpectMessage({"Illegal entry!!", "", BoxButtons::Ok, BoxIcon::Warning, 0, BoxOwner::Window});
  op_.ExpectMessage({"Failed to open results", "", BoxButtons::Ok, BoxIcon::Warning, 0, BoxOwner::Window});
  dialog_.OnCommand(ctl::kCalibrationSheet);
  EXPECT_EQ(offered_, "");
  struct stat st {};
  EXPECT_NE(stat((folder_ + "calibrate_inclin.csv").c_str(), &st), 0);
}

TEST_F(CalSheetCommandTest, TheSerialTypedBecomesTheUnitSerial) {
  StoredResult result;
  result.unitSerial = "E00777-003";
  result.key = "3.03.01";
  std::string error;
  ASSERT_TRUE(ResultsStoreOf(app_.settings.records).Store({result}, error)) << error;
  typed_ = "e777-3";
  dialog_.OnCommand(ctl::kCalibrationSheet);
  EXPECT_EQ(app_.unit.unitSerial, "E00777-003");
  EXPECT_EQ(Sheet().substr(0, 31), "E00777-003,Remote inclinometer\n");
}

}  // namespace
}  // namespace endcap
