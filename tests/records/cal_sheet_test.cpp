// The calibration sheets and the certificate prompt: the serial check, no sheet without the
// unit's results, the rows of both sheets from a store filled by the record operations, the
// edge cases of the cells, a sheet replaced only whole, and the certificate launch's order and
// failures against a recording spreadsheet.

#include "records/cal_sheet_dialog.h"

#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <fstream>
#include <sstream>

#include "records/certificate_items.h"
#include "tests/records/fake_sheet_views.h"
#include "tests/records/recording_fixture.h"
#include "tests/records/recording_spreadsheet.h"
#include "tests/support/temp_dir.h"

namespace endcap {
namespace {

using testing::FakeCalSheetView;
using testing::RecordingSpreadsheet;
using testing::TempDir;

MessageBox SheetBox(const std::string& text) {
  return {text, "", BoxButtons::Ok, BoxIcon::Warning, 0, BoxOwner::Window};
}

class SheetTest : public testing::RecordingTest {
protected:
  SheetTest() {
    settings.recordFolder = status.path();
    settings.operatorId = "AB";
    clock.SetDate({2026, 3, 7, 9, 5, 30});
    mkdir(folder.c_str(), 0775);
    dialog.Attach(view);
    view.serial = "123456-001";
  }
  std::string Sheet(const std::string& name) const {
    std::ifstream in(folder + name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void Put(const std::string& key, const CertificateResult& result) {
    StoredResult row;
    row.unitSerial = "123456-001";
    row.key = key;
    row.result = result;
    std::string error;
    ASSERT_TRUE(ResultsStoreOf(settings).Store({row}, error)) << error;
  }
  // The names in the certificate folder.
  std::vector<std::string> FolderNames() const {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    while (dirent* entry = dir ? readdir(dir) : nullptr)
      if (entry->d_name[0] != '.') names.push_back(entry->d_name);
    if (dir) closedir(dir);
    return names;
  }
  static CertificateResult Result(uint8_t passFlag, double value, const std::string& text) {
    CertificateResult r;
    r.passFlag = passFlag;
    r.value = value;
    r.text = text;
    return r;
  }

  TempDir status;
  TempDir certificates;
  std::string folder = certificates.path() + "/Endcap/";
  RecordingSpreadsheet spreadsheet;
  CalSheetDialog dialog{op, unit, settings, limits, spreadsheet, folder};
  FakeCalSheetView view;
};

TEST_F(SheetTest, TheCertificateFolderIsOnDriveQ) {
  DriveMap drives;
  EXPECT_EQ(CertificateFolder(drives), "/mnt/q/CALIBRAT/Drelvik5/Endcap/");
  drives.Set('Q', "/srv/calibration");
  EXPECT_EQ(CertificateFolder(drives), "/srv/calibration/CALIBRAT/Drelvik5/Endcap/");
}

TEST_F(SheetTest, TheDialogOffersThePreFilledSerialAndExitCloses) {
  dialog.serialText = "654321-002";
  dialog.OnInitDialog();
  EXPECT_EQ(view.serial, "654321-002");
  EXPECT_TRUE(dialog.OnCommand(ctl::sheet::kExit));
  EXPECT_EQ(view.ended, 1);
  EXPECT_FALSE(dialog.OnCommand(ctl::sheet::kSerial));
}

struct SerialCase {
  const char* entry;
  const char* serial;   // the normalised unit serial, or null when refused
  const char* refusal;  // the box when refused
};

TEST_F(SheetTest, SerialsAreNormalisedOrRefused) {
  const SerialCase cases[] = {
      {"123456-1", "123456-001", nullptr},
      {"e1234-5", "E01234-005", nullptr},
      {"E12345-007", "E12345-007", nullptr},
      {"0-0", "000000-000", nullptr},
      {"E-5", "E00000-005", nullptr},
      {"99999999999999999999999-1", "18446744073709551615-001", nullptr},
      {"12345", nullptr, "Illegal entry!!"},
      {"-123", nullptr, "Illegal entry!!"},
      {"123456-0012", nullptr, "Illegal entry!!"},
      {"123456-", nullptr, "Illegal entry!!"},
      {"", nullptr, "Illegal entry!!"},
      {"12a456-001", nullptr, "Illegal character!!"},
      {"12-34-56", nullptr, "Illegal character!!"},
      {"123456-00x", nullptr, "Illegal character!!"},
  };
  for (const SerialCase& c : cases) {
    SCOPED_TRACE(c.entry);
    unit.unitSerial = "000000-000";
    unit.unitSerialConfirmed = true;
    limits = DefaultLimits();
    view.serial = c.entry;
    if (c.refusal) op.ExpectMessage(SheetBox(c.refusal));
    EXPECT_EQ(dialog.ValidateSheetSerial(), c.serial != nullptr);
    op.VerifyDone();
    EXPECT_EQ(dialog.editText, c.entry);
    EXPECT_EQ(unit.unitSerial, c.serial ? c.serial : "000000-000");
    EXPECT_EQ(unit.unitSerialConfirmed, c.serial != nullptr);
    EXPECT_EQ(limits.smallAngleTolerance, c.serial ? 0.05 : 0.0);  // the limits are loaded
  }
}

TEST_F(SheetTest, ARefusedSerialWritesNothingAndOffersNoCertificate) {
  view.serial = "12345";
  op.ExpectMessage(SheetBox("Illegal entry!!"));
  op.ExpectMessage(SheetBox("Failed to open results"));
  dialog.OnCommand(ctl::sheet::kInclinometerResults);
  EXPECT_EQ(dialog.sheetOutcome, SheetOutcome::SerialRefused);
  EXPECT_TRUE(view.prompts.empty());
  EXPECT_EQ(view.waitCursor, (std::vector<bool>{true, false}));
  struct stat st {};
  EXPECT_NE(stat((folder + "calibrate_inclin.csv").c_str(), &st), 0);
}

TEST_F(SheetTest, ToleranceCellsByAngle) {
  const std::pair<double, const char*> cells[] = {{0.0, "0.050,"},    {14.999, "0.050,"}, {-14.999, "0.050,"},
                                                  {15.0, "0.200,"},   {-15.0, "0.200,"},  {45.999, "0.200,"},
                                                  {46.0, " ,"},       {-90.0, " ,"}};
  for (const auto& [angle, cell] : cells) EXPECT_EQ(ToleranceCell(limits, angle), cell) << angle;
}

TEST_F(SheetTest, PitchAndRollAreReadFromTheResultText) {
  struct Case {
    const char* text;
    double pitch, roll;
  };
  const Case cases[] = {
      {"Pitch 1.5 Roll -2.25", 1.5, -2.25},
      {"Pitch 1.5", 0.0, 0.0},             // shorter than 13 characters
      {"Pitch 1.5 Roll", 1.5, 0.0},        // nothing after "Roll"
      {"Pitch 1.50000 R", 1.5, 0.0},       // no "Roll"
      {"Pitch abc Roll 2", 0.0, 2.0},      // no number
      {"Pitch -45.150 Roll -0.020", -45.15, -0.02},
  };
  for (const Case& c : cases) {
    const PitchRoll parsed = ParsePitchRoll(c.text);
    EXPECT_EQ(parsed.pitchDeg, c.pitch) << c.text;
    EXPECT_EQ(parsed.rollDeg, c.roll) << c.text;
  }
}

constexpr const char* kEmptyInclinometerSheet =
    "123456-001,Remote inclinometer\n"
    ",00/00/2000\n"
    "0.000,0.000,0.000,0.050,FAIL\n"
    "0.000,0.000,0.000,0.050,FAIL\n"
    "0.000,0.000,0.000,0.050,FAIL\n"
    "0.000,0.000,0.000,0.050,FAIL\n"
    "0.000,0.000,0.000,0.050,FAIL\n"
    "0.000,0.000,0.000,0.050,FAIL\n"
    "0.000,0.000,0.000,0.050,FAIL\n"
    "0.000,0.000,0.000,0.050,FAIL\n"
    "0.000,0.000,0.000,0.050,FAIL\n"
    "0.000,0.000,0.000,0.050,FAIL\n"
    "FAIL\n";

TEST_F(SheetTest, WithoutTheUnitsResultsNoSheetIsWrittenAndNoCertificateOffered) {
  const std::string store = status.path() + "/CalibrationResults.sqlite";
  const std::string older = "654321-002,Remote inclinometer\nthe sheet of the unit before\n";
  std::ofstream(folder + "calibrate_inclin.csv") << older;
  auto expectNoSheet = [&](const std::string& box) {
    op.ExpectMessage(SheetBox(box));
    dialog.OnCommand(ctl::sheet::kInclinometerResults);
    op.VerifyDone();
    EXPECT_EQ(dialog.sheetOutcome, SheetOutcome::NotWritten);
    EXPECT_EQ(Sheet("calibrate_inclin.csv"), older);
    EXPECT_TRUE(view.prompts.empty());
    EXPECT_EQ(view.waitCursor, (std::vector<bool>{true, false}));
    view.waitCursor.clear();
  };
  // No store yet.
  expectNoSheet("Unable to read the results store " + store + " for 123456-001\r\nNo such file or directory");

  // Only another unit's results, and only the gauge of this one.
  Put("3.04.05", Result(1, 0.1, ""));
  StoredResult other;
  other.unitSerial = "654321-002";
  other.key = "3.03.01";
  std::string error;
  ASSERT_TRUE(ResultsStoreOf(settings).Store({other}, error)) << error;
  expectNoSheet("The results store " + store + " holds no inclinometer results for 123456-001");

  // Not a database.
  settings.resultsStorePath = status.path() + "/bad.sqlite";
  std::ofstream(settings.resultsStorePath) << "this is not a database, it is a text file of some length to be sure\n";
  expectNoSheet("Unable to read the results store " + settings.resultsStorePath +
                " for 123456-001\r\nfile is not a database");
}

TEST_F(SheetTest, MissingItemsOfThePressureSheetGiveDefaults) {
  Put("3.04.05", Result(0, 0.05, ""));
  dialog.OnCommand(ctl::sheet::kStrainGaugeResults);
  EXPECT_EQ(Sheet("calibrate_pressure.csv"),
            "PRECISION STRAIN GAUGE DEPTH SENSOR,Gauge range (bar),Remote inclinometer\n"
            "123456-001\n"
            ",\n"
            "0, \n"
            "0.00,\n"
            "0,0\n"
            "0,0.000,0.000,0.000,0.05,FAIL\n"
            "0,0.000,0.000,0.000,0.05,FAIL\n"
            "0,0.000,0.000,0.000,0.05,FAIL\n"
            "0,0.000,0.000,0.000,0.05,FAIL\n"
            "0,0.000,0.000,0.000,0.05,FAIL\n"
            "0,0.000,0.000,0.000,0.05,FAIL\n"
            ",00/00/2000\n");
  EXPECT_EQ(dialog.sheetOutcome, SheetOutcome::Written);
  EXPECT_EQ(view.prompts, std::vector<std::string>{"Pressure_Certificate.xls stored in " + folder});
  EXPECT_EQ(view.promptsEnded, 1);
  EXPECT_TRUE(spreadsheet.calls.empty());  // answered No
  EXPECT_EQ(view.waitCursor, (std::vector<bool>{true, false}));
}

// The store as an inclinometer check leaves it: A1 = 5, A2 = 45, the last position ignored
// after a failure.
void LeaveInclinometerCheck(InclinometerRun& inclinometerRun) {
  inclinometerRun.checkRun = true;
  inclinometerRun.checkLevelReading = {0.012, -0.046, true};
  inclinometerRun.checkSets[0] = {5.0, {{5.012, 0.003, true}, {-0.004, 4.990, true}, {-5.020, 0.001, true}, {0.002, -5.001, true}}};
  inclinometerRun.checkSets[1] = {45.0,
                       {{45.100, 0.010, true}, {0.020, 44.950, true}, {-45.150, -0.020, true}, {-0.010, -44.700, false}}};
}

TEST_F(SheetTest, AnInclinometerCheckGivesItsReadingsOnTheSheet) {
  unit.unitSerial = "123456-001";
  LeaveInclinometerCheck(inclinometerRun);
  RecordInclinometerCalibration(settings, unit, inclinometerRun, op, client.clock());
  dialog.OnCommand(ctl::sheet::kInclinometerResults);
  // Each row: reading, nominal, |difference|, tolerance at the reading, verdict.
  EXPECT_EQ(Sheet("calibrate_inclin.csv"),
            "123456-001,Remote inclinometer\n"
            "AB,07/03/2026\n"
            "0.012,0.000,0.012,0.050,PASS\n"        // level pitch
            "5.012,5.000,0.012,0.050,PASS\n"        // +A1
            "45.100,45.000,0.100,0.200,PASS\n"      // +A2
            "-5.020,-5.000,0.020,0.050,PASS\n"      // -A1
            "-45.150,-45.000,0.150,0.200,PASS\n"    // -A2
            "-0.046,0.000,0.046,0.050,PASS\n"       // level roll
            "4.990,5.000,0.010,0.050,PASS\n"
            "44.950,45.000,0.050,0.200,PASS\n"
            "-5.001,-5.000,0.001,0.050,PASS\n"
            "-44.700,-45.000,0.300,0.200,FAIL\n"
            "FAIL\n");

  // Retried until it passed: the newest results win and the sheet passes.
  LeaveInclinometerCheck(inclinometerRun);
  inclinometerRun.checkSets[1].readings[3] = {-0.010, -44.900, true};
  RecordInclinometerCalibration(settings, unit, inclinometerRun, op, client.clock());
  dialog.OnCommand(ctl::sheet::kInclinometerResults);
  const std::string sheet = Sheet("calibrate_inclin.csv");
  EXPECT_NE(sheet.find("-44.900,-45.000,0.100,0.200,PASS\nPASS\n"), std::string::npos) << sheet;
}

TEST_F(SheetTest, ARowWithoutVerdictKeepsTheSheetFromPassing) {
  Put("3.03.01", Result(2, 0.0, "Pitch 0.010 Roll 0.000"));
  for (const char* key : {"3.03.02", "3.03.03", "3.03.06", "3.03.07", "3.03.10", "3.03.11", "3.03.14", "3.03.15", "3.03.18"})
    Put(key, Result(1, 0.0, "Pitch 0.000 Roll 0.000"));
  dialog.OnCommand(ctl::sheet::kInclinometerResults);
  const std::string sheet = Sheet("calibrate_inclin.csv");
  EXPECT_NE(sheet.find("\n0.010,0.000,0.010,0.050,\n0.000,0.000,0.000,0.050,PASS\n"), std::string::npos) << sheet;
  EXPECT_EQ(sheet.substr(sheet.size() - 6), "\nFAIL\n");
  Put("3.03.01", Result(1, 0.0, "Pitch 0.010 Roll 0.000"));
  dialog.OnCommand(ctl::sheet::kInclinometerResults);
  const std::string passed = Sheet("calibrate_inclin.csv");
  EXPECT_EQ(passed.substr(passed.size() - 6), "\nPASS\n");
}

// A strain-gauge calibration and check as the dialog leaves them: a 20 bar standard gauge,
// checked at the suggested pressures, the 80 % point ignored after a failure.
void LeaveStrainGaugeCheck(UnitState& unit, StrainGaugeRun& gaugeRun) {
  gaugeRun.calRun = gaugeRun.calPassed = true;
  gaugeRun.checkRun = true;
  gaugeRun.gaugeManufacturer = "Druck";
  gaugeRun.gaugeModel = "PTX 1830";
  unit.gaugeSerialNo = 1234567;
  unit.gaugeFullScaleBar = 20.0;
  unit.gaugeAccuracyPercent = 0.1;
  gaugeRun.temperatureDegC = 21.5;
  gaugeRun.atmosphericPressureMb = 1013.2;
  gaugeRun.equipmentUsed = "Budenburg";
  gaugeRun.equipmentIdNo = 1234;
  const char* applied[] = {"0.000", "58.000", "120.000", "170.000", "240.000", "280.000"};
  const double read[] = {0.05, 58.1, 120.2, 170.1, 240.5, 280.2};
  for (int i = 0; i < 6; ++i) gaugeRun.pressurePoints[i] = {true, 20.0 * 14.50377, 0.1, read[i], applied[i]};
}

TEST_F(SheetTest, AStrainGaugeCheckGivesItsPointsOnTheSheet) {
  unit.unitSerial = "123456-001";
  LeaveStrainGaugeCheck(unit, gaugeRun);
  RecordStrainGaugeCalibration(settings, unit, gaugeRun, op, client.clock());
  dialog.OnCommand(ctl::sheet::kStrainGaugeResults);
  // F = 20 x 14.50377 = 290.0754 psi; position = applied / F, error = |read - applied| / F.
  EXPECT_EQ(Sheet("calibrate_pressure.csv"),
            "STRAIN GAUGE DEPTH SENSOR CALIBRATION CERTIFICATE,Gauge range (bar),Remote inclinometer\n"
            "123456-001\n"
            "Druck,PTX 1830\n"
            "20,1234567\n"
            "21.50,Budenburg\n"
            "1013,1234\n"
            "0,0.000,0.050,0.017,0.10,PASS\n"
            "20,58.000,58.100,0.034,0.10,PASS\n"
            "41,120.000,120.200,0.069,0.10,PASS\n"
            "59,170.000,170.100,0.034,0.10,PASS\n"
            "83,240.000,240.500,0.172,0.10,FAIL\n"
            "97,280.000,280.200,0.069,0.10,PASS\n"
            "AB,07/03/2026\n");
}

TEST_F(SheetTest, TheAccuracyClassAndThePointVerdictIncludeTheirBounds) {
  // A 100 bar gauge (1450.377 psi) of class 0.05: precision, and an error of exactly 0.05 %.
  Put("3.04.04", Result(0, 100.0, ""));
  Put("3.04.05", Result(0, 0.05, ""));
  Put("3.05.01", Result(1, 0.7251885, "Applied 0"));
  Put("3.05.02", Result(1, 0.7252, "Applied 0"));
  Put("3.05.03", Result(0, 0.0, "Applied 0"));  // stored as failed without a reading
  dialog.OnCommand(ctl::sheet::kStrainGaugeResults);
  std::string sheet = Sheet("calibrate_pressure.csv");
  EXPECT_EQ(sheet.substr(0, sheet.find('\n')), "PRECISION STRAIN GAUGE DEPTH SENSOR,Gauge range (bar),Remote inclinometer");
  EXPECT_NE(sheet.find("\n0,0.000,0.725,0.050,0.05,PASS\n0,0.000,0.725,0.050,0.05,FAIL\n"
                       "0,0.000,0.000,0.000,0.05,FAIL\n"),
            std::string::npos)
      << sheet;

  Put("3.04.05", Result(0, 0.06, ""));
  dialog.OnCommand(ctl::sheet::kStrainGaugeResults);
  sheet = Sheet("calibrate_pressure.csv");
  EXPECT_EQ(sheet.substr(0, sheet.find('\n')),
            "STRAIN GAUGE DEPTH SENSOR CALIBRATION CERTIFICATE,Gauge range (bar),Remote inclinometer");
  EXPECT_NE(sheet.find("\n100, \n"), std::string::npos) << sheet;  // no gauge serial
}

TEST_F(SheetTest, PointsWithoutAGaugeRangeFailWithoutDividingByZero) {
  Put("3.05.03", Result(1, 58.1, "Applied 58.000"));
  dialog.OnCommand(ctl::sheet::kStrainGaugeResults);
  EXPECT_NE(Sheet("calibrate_pressure.csv").find("\n0,0.000,0.000,0.000,0.05,FAIL\n0,58.000,58.100,0.000,0.05,FAIL\n"),
            std::string::npos);
}

TEST_F(SheetTest, TheSheetReplacesAnOlderOneWhole) {
  Put("3.02.01", CertificateResult());
  std::ofstream(folder + "calibrate_inclin.csv") << "an older sheet\nwith more lines than the new one\n"
                                                 << std::string(4000, 'x') << "\n";
  dialog.OnCommand(ctl::sheet::kInclinometerResults);
  EXPECT_EQ(Sheet("calibrate_inclin.csv"), kEmptyInclinometerSheet);
  EXPECT_EQ(FolderNames(), std::vector<std::string>{"calibrate_inclin.csv"});
}

TEST_F(SheetTest, ASheetThatCannotBeWrittenWholeLeavesTheOlderOneAndOffersNoCertificate) {
  Put("3.02.01", CertificateResult());
  const std::string older = "654321-002,Remote inclinometer\n";
  std::ofstream(folder + "calibrate_inclin.csv") << older;
  // A file system that takes only the first 100 bytes, as a nearly full disk does.
  struct sigaction ignore {}, old {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &old), 0);
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit limited = saved;
  limited.rlim_cur = 100;
  op.ExpectMessage(SheetBox("Unable to open calibration data file\r\n" + folder +
                            "calibrate_inclin.csv: File too large"));
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  dialog.OnCommand(ctl::sheet::kInclinometerResults);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::sigaction(SIGXFSZ, &old, nullptr);
  op.VerifyDone();
  EXPECT_EQ(Sheet("calibrate_inclin.csv"), older);
  EXPECT_EQ(FolderNames(), std::vector<std::string>{"calibrate_inclin.csv"});
  EXPECT_EQ(dialog.sheetOutcome, SheetOutcome::NotWritten);
  EXPECT_TRUE(view.prompts.empty());
}

TEST_F(SheetTest, AMissingFolderIsToldOnceWithTheSheetsPathAndOffersNoCertificate) {
  Put("3.04.05", CertificateResult());
  const std::string absent = certificates.path() + "/absent/";
  CalSheetDialog elsewhere(op, unit, settings, limits, spreadsheet, absent);
  elsewhere.Attach(view);
  op.ExpectMessage(SheetBox("Unable to open calibration data file\r\n" + absent +
                            "calibrate_pressure.csv: No such file or directory"));
  elsewhere.OnCommand(ctl::sheet::kStrainGaugeResults);
  op.VerifyDone();
  EXPECT_EQ(elsewhere.sheetOutcome, SheetOutcome::NotWritten);
  EXPECT_TRUE(view.prompts.empty());
  struct stat st {};
  EXPECT_NE(stat(absent.c_str(), &st), 0);  // never created
}

// The certificate prompt alone, against the recording spreadsheet.
class CertificateTest : public SheetTest {
protected:
  CertificateTest() {
    prompt.Attach(promptView);
    prompt.templateFileName = "IntInclinometerCertificate.xls";
    prompt.templateFolder = folder;
    prompt.OnInitDialog();
  }
  std::string Path() const { return folder + "IntInclinometerCertificate.xls"; }
  CertificatePromptDialog prompt{op, spreadsheet};
  testing::FakeCertificatePromptView promptView;
};

TEST_F(CertificateTest, ThePromptNamesTheTemplateAndItsFolder) {
  EXPECT_EQ(promptView.templateText, "IntInclinometerCertificate.xls stored in " + folder);
  EXPECT_EQ(promptView.ended, 0);
}

TEST_F(CertificateTest, YesDrivesTheSpreadsheetInOrder) {
  EXPECT_TRUE(prompt.OnCommand(ctl::certificate::kYes));
  EXPECT_EQ(spreadsheet.calls, (std::vector<std::string>{"Start", "OpenWorkbook " + Path(), "RunAutoMacros",
                                                         "SetVisible true", "SetUserControl true", "WorkbookSaved",
                                                         "CloseWorkbooks", "Quit", "Release"}));
  EXPECT_EQ(promptView.ended, 1);
  EXPECT_EQ(promptView.waitCursor, (std::vector<bool>{true, false}));
}

TEST_F(CertificateTest, ACertificateLeftUnsavedStaysOpenForTheOperator) {
  spreadsheet.workbookSaved = false;
  op.ExpectMessage(
      CertificateBox("The certificate is open in Excel, not saved: review, save or print it there\r\n" + Path()));
  prompt.LaunchCertificate();
  EXPECT_EQ(spreadsheet.calls, (std::vector<std::string>{"Start", "OpenWorkbook " + Path(), "RunAutoMacros",
                                                         "SetVisible true", "SetUserControl true", "WorkbookSaved",
                                                         "Release"}));
  EXPECT_EQ(promptView.ended, 1);
}

TEST_F(CertificateTest, NoStartsNothing) {
  EXPECT_TRUE(prompt.OnCommand(ctl::certificate::kNo));
  EXPECT_TRUE(spreadsheet.calls.empty());
  EXPECT_EQ(promptView.ended, 1);
  EXPECT_FALSE(prompt.OnCommand(ctl::certificate::kTemplateText));
}

TEST_F(CertificateTest, ASpreadsheetThatCannotStartIsToldOnce) {
  spreadsheet.failing = "Start";
  op.ExpectMessage({"Couldn't start Excel.\r\nthe application said no", kApplicationName, BoxButtons::Ok,
                    BoxIcon::None, 0, BoxOwner::Window});
  prompt.LaunchCertificate();
  EXPECT_EQ(spreadsheet.calls, (std::vector<std::string>{"Start", "Release"}));
  EXPECT_EQ(promptView.ended, 1);
  EXPECT_EQ(promptView.waitCursor, (std::vector<bool>{true, false, false}));  // none over the box
}

TEST_F(CertificateTest, ALaterFailureIsToldInOneBoxAndEndsTheLaunch) {
  const std::pair<const char*, const char*> failures[] = {
      {"OpenWorkbook", "Excel could not open the certificate template"},
      {"RunAutoMacros", "The certificate template's start-up macro failed"},
      {"SetVisible", "Excel could not be shown"},
      {"SetUserControl", "Excel could not be handed to the user"},
      {"WorkbookSaved", "Excel could not tell whether the certificate was saved"},
      {"CloseWorkbooks", "Excel could not close the certificate template"},
      {"Quit", "Excel could not be closed"},
  };
  for (size_t i = 0; i < std::size(failures); ++i) {
    SCOPED_TRACE(failures[i].first);
    spreadsheet.calls.clear();
    spreadsheet.failing = failures[i].first;
    promptView.ended = 0;
    op.ExpectMessage(CertificateBox(std::string(failures[i].second) + "\r\n" + Path() + "\r\nthe application said no"));
    prompt.LaunchCertificate();
    op.VerifyDone();
    ASSERT_EQ(spreadsheet.calls.size(), i + 3);  // Start, the calls up to the failing one, Release
    EXPECT_EQ(spreadsheet.calls[i + 1].substr(0, spreadsheet.failing.size()), spreadsheet.failing);
    EXPECT_EQ(spreadsheet.calls.back(), "Release");
    EXPECT_EQ(promptView.ended, 1);
  }
}

TEST_F(CertificateTest, AfterItsMacroTheCertificateIsKeptAsPdfOrTheOperatorToldWhyNot) {
  prompt.pdfFileName = "123456-001_inclinometer_2026-03-07.pdf";
  const std::string pdf = folder + prompt.pdfFileName;
  for (const bool exported : {true, false}) {
    SCOPED_TRACE(exported);
    spreadsheet.calls.clear();
    spreadsheet.failing = exported ? "" : "ExportPdf";
    op.ExpectMessage(CertificateBox(exported ? "The certificate is kept as PDF in\r\n" + pdf
                                             : "The certificate could not be kept as PDF\r\n" + pdf +
                                                   "\r\nthe application said no"));
    prompt.LaunchCertificate();
    op.VerifyDone();
    // A failed copy changes nothing else of the launch.
    EXPECT_EQ(spreadsheet.calls,
              (std::vector<std::string>{"Start", "OpenWorkbook " + Path(), "RunAutoMacros", "ExportPdf " + pdf,
                                        "SetVisible true", "SetUserControl true", "WorkbookSaved", "CloseWorkbooks",
                                        "Quit", "Release"}));
  }
}

TEST_F(CertificateTest, TheSheetsYesLaunchesTheMatchingTemplateAndNamesItsPdfByUnitKindAndDay) {
  CertificateResult gauge;
  gauge.day = 9;
  gauge.month = 12;
  gauge.year = 26;
  Put("3.04.01", gauge);
  view.promptAnswer = ctl::certificate::kYes;
  const std::string pdf = folder + "123456-001_pressure_2026-12-09.pdf";
  op.ExpectMessage(CertificateBox("The certificate is kept as PDF in\r\n" + pdf));
  dialog.OnCommand(ctl::sheet::kStrainGaugeResults);
  ASSERT_GE(spreadsheet.calls.size(), 4u);
  EXPECT_EQ(spreadsheet.calls[1], "OpenWorkbook " + folder + "Pressure_Certificate.xls");
  EXPECT_EQ(spreadsheet.calls[3], "ExportPdf " + pdf);
}

}  // namespace
}  // namespace endcap
