// The results record file, the operator ID and the limits.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "records/drive_map.h"
#include "tests/records/recording_fixture.h"

namespace endcap {
namespace {

using testing::RecordingTest;

class RecordTest : public RecordingTest {
protected:
  RecordTest() {
    char pattern[] = "/tmp/endcap-records-XXXXXX";
    folder = mkdtemp(pattern);
    settings.recordFolder = folder;
    settings.operatorId = "AB";
    unit.unitSerial = "123456-001";
    clock.SetDate({2005, 3, 7, 9, 5, 30});
  }
  ~RecordTest() override {
    std::remove((folder + "/RemoteInclinometerLog.txt").c_str());
    std::remove((folder + "/CalibrationResults.sqlite").c_str());
    rmdir(folder.c_str());
  }
  std::string File() const {
    std::ifstream in(settings.recordFolder + "/RemoteInclinometerLog.txt");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::string folder;
};

TEST_F(RecordTest, LinesCarryOperatorSerialAndTimeAndBlankLinesDoNot) {
  AppendRecordLine(settings, unit, op, client.clock(), "First");
  AppendRecordLine(settings, unit, op, client.clock(), "");
  AppendRecordLine(settings, unit, op, client.clock(), "Second");
  EXPECT_EQ(File(),
            "AB 123456-001 09:05 07/03/2005 First\n"
            "\n"
            "AB 123456-001 09:05 07/03/2005 Second\n");
}

TEST_F(RecordTest, UnopenableFileShowsABoxPerLineWithPathAndReasonAndGoesOn) {
  settings.recordFolder = folder + "/missing";
  const std::string box = "Unable to open record file SAVE_FILE\r\n" + folder +
                          "/missing/RemoteInclinometerLog.txt: No such file or directory";
  op.ExpectUnownedBox(box);
  op.ExpectUnownedBox(box);
  AppendRecordLine(settings, unit, op, client.clock(), "a");
  AppendRecordLine(settings, unit, op, client.clock(), "b");
}

// A file system with room for only part of the next line. The line must land whole or not at
// all: the next line then starts a line of its own, never inside a fragment.
class NearlyFullRecordTest : public RecordTest {
protected:
  static constexpr size_t kRoom = 20;  // bytes left when the line comes
  const std::string kLine = "External digital inclinometer calibrated ";
  const std::string kPrefix = "AB 123456-001 09:05 07/03/2005 ";

  // Fills the record file so that kRoom bytes are left below a limit of limitBytes.
  std::string Fill(size_t limitBytes) {
    std::string text;
    while (text.size() + 40 <= limitBytes - kRoom) text += std::string(38, 'x') + " \n";
    text += std::string(limitBytes - kRoom - text.size() - 1, 'y') + "\n";
    std::ofstream(settings.recordFolder + "/RemoteInclinometerLog.txt") << text;
    return text;
  }

  // The box of a line the file system refused, for the system's reason.
  std::string RefusedBox(const std::string& reason) const {
    return "Unable to open record file SAVE_FILE\r\n" + settings.recordFolder + "/RemoteInclinometerLog.txt: " + reason;
  }

  // appendUnderLimit runs AppendRecordLine with the file system nearly full.
  void ExpectWholeLinesOnly(const std::string& before, const std::string& reason,
                            const std::function<void(const std::string&)>& appendUnderLimit) {
    op.ExpectUnownedBox(RefusedBox(reason));
    appendUnderLimit(kLine);
    EXPECT_EQ(File(), before);
    // A line short enough for the room left lands, on a line of its own.
    appendUnderLimit("");
    EXPECT_EQ(File(), before + "\n");
  }
};

TEST_F(NearlyFullRecordTest, OnASmallFileSystem) {
  const std::string small = folder + "/small";
  ASSERT_EQ(::mkdir(small.c_str(), 0700), 0);
  if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=4k") != 0) {
    ::rmdir(small.c_str());
    GTEST_SKIP() << "cannot mount a tmpfs here (" << std::strerror(errno) << "); the file-size limit case covers it";
  }
  settings.recordFolder = small;
  const std::string before = Fill(4096);
  ExpectWholeLinesOnly(before, "No space left on device",
                       [&](const std::string& text) { AppendRecordLine(settings, unit, op, client.clock(), text); });
  ::umount2(small.c_str(), MNT_DETACH);
  ::rmdir(small.c_str());
}

// A write past the limit is cut short at it, as on a full disk (and would raise SIGXFSZ, which
// a full disk does not).
class FileSizeLimitTest : public NearlyFullRecordTest {
protected:
  FileSizeLimitTest() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &oldAction_);
    ::getrlimit(RLIMIT_FSIZE, &saved_);
  }
  ~FileSizeLimitTest() override { ::sigaction(SIGXFSZ, &oldAction_, nullptr); }
  // Runs append with the file size limited to limitBytes.
  void UnderLimit(size_t limitBytes, const std::function<void()>& append) {
    rlimit limited = saved_;
    limited.rlim_cur = limitBytes;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    append();
    ::setrlimit(RLIMIT_FSIZE, &saved_);
  }

private:
  struct sigaction oldAction_ {};
  rlimit saved_{};
};

TEST_F(FileSizeLimitTest, ALineLandsWholeOrNotAtAll) {
  const std::string before = Fill(1000);
  ExpectWholeLinesOnly(before, "File too large",
                       [&](const std::string& text) { UnderLimit(1000, [&] { AppendRecordLine(settings, unit, op, client.clock(), text); }); });
  AppendRecordLine(settings, unit, op, client.clock(), "Warm up 5 seconds");
  EXPECT_EQ(File(), before + "\n" + kPrefix + "Warm up 5 seconds\n");
}

// With room for its first lines only, a calibration's lines are refused together: none of the
// later ones lands after an earlier one was lost.
TEST_F(FileSizeLimitTest, ACalibrationsLinesLandAsOneBlockOrNotAtAll) {
  const std::string before = Fill(1000 - 80);
  inclinometerRun.calRun = true;
  inclinometerRun.calPassed = true;
  unit.unitCurrentMa = 72;
  unit.inclinometerWarmUpTenths = 55;
  op.ExpectUnownedBox(RefusedBox("File too large"));
  std::string notRecorded;
  UnderLimit(1000, [&] { notRecorded = RecordInclinometerCalibration(settings, unit, inclinometerRun, op, client.clock()); });
  op.VerifyDone();
  EXPECT_EQ(notRecorded, settings.recordFolder + "/RemoteInclinometerLog.txt: File too large");
  EXPECT_EQ(File(), before);
}

TEST_F(RecordTest, OperatorIdIsTakenInUpperCaseOncePerConnection) {
  settings.operatorId.clear();
  op.ExpectPrompt("Enter operator ID 2/3 chars", "", "ab");
  EXPECT_TRUE(EnsureOperatorId(op, settings, unit));
  EXPECT_EQ(settings.operatorId, "AB");
  EXPECT_EQ(unit.operatorMarker, 1);
  EXPECT_TRUE(EnsureOperatorId(op, settings, unit));
  AppendRecordLine(settings, unit, op, client.clock(), "x");
  EXPECT_EQ(File().substr(0, 3), "AB ");
}

TEST_F(RecordTest, OperatorIdOfTheWrongLengthIsRefusedSayingWhy) {
  settings.operatorId.clear();
  const std::string why = "Operator ID must be 2 or 3 characters";
  op.ExpectPrompt("Enter operator ID 2/3 chars", "", "a").ExpectWindowBox(why);
  op.ExpectPrompt("Enter operator ID 2/3 chars", "", "abcd").ExpectWindowBox(why);
  op.ExpectPromptClosed("Enter operator ID 2/3 chars", "").ExpectWindowBox(why);
  op.ExpectPrompt("Enter operator ID 2/3 chars", "", "xyz");
  EXPECT_FALSE(EnsureOperatorId(op, settings, unit));
  EXPECT_FALSE(EnsureOperatorId(op, settings, unit));
  EXPECT_FALSE(EnsureOperatorId(op, settings, unit));
  EXPECT_EQ(settings.operatorId, "");
  EXPECT_TRUE(EnsureOperatorId(op, settings, unit));
  EXPECT_EQ(settings.operatorId, "XYZ");
}

TEST_F(RecordTest, DefaultLimitsIncludeBothEnds) {
  EXPECT_TRUE(BeginResultsRecord(limits));
  EXPECT_TRUE(limits.supply3v3.Contains(3.0));
  EXPECT_TRUE(limits.supply3v3.Contains(3.6));
  EXPECT_FALSE(limits.supply3v3.Contains(3.61));
  EXPECT_TRUE(limits.supplyMinus12.Contains(-13.0));
  EXPECT_TRUE(limits.unloadedCurrentMa.Contains(25.0));
  EXPECT_TRUE(limits.loadedCurrentMa.Contains(110.0));
  EXPECT_TRUE(limits.unitCurrentMa.Contains(50.0));
  EXPECT_EQ(limits.largeAngleTolerance, 0.2);
  EXPECT_EQ(limits.precisionGaugeAccuracy, 0.05);
}

TEST_F(RecordTest, InclinometerCalibrationWithCheck) {
  inclinometerRun.calRun = true;
  inclinometerRun.calPassed = true;
  unit.unitCurrentMa = 72;
  unit.inclinometerWarmUpTenths = 55;
  inclinometerRun.checkRun = true;
  inclinometerRun.checkLevelReading = {0.0123, -0.0456, true};
  inclinometerRun.checkSets[0].angleDeg = 5.0;
  inclinometerRun.checkSets[1].angleDeg = 45.0;
  for (int s = 0; s < 2; ++s)
    for (int i = 0; i < 4; ++i) inclinometerRun.checkSets[s].readings[i] = {s * 10.0 + i, -(s * 10.0 + i) / 100.0, true};
  RecordInclinometerCalibration(settings, unit, inclinometerRun, op, client.clock());
  const std::string p = "AB 123456-001 09:05 07/03/2005 ";
  EXPECT_EQ(File(), p + "External digital inclinometer calibrated \n" +
                        p + "Current 72 mA\n" +
                        p + "Warm up 5 seconds\n" +
                        p + "External digital  inclinometer calibration checked\n" +
                        p + "Pitch 0  Roll 0 Reads Pitch 0.012 Roll -0.046\n" +
                        p + "Pitch 5.000  Roll 0 Reads Pitch 0.000 Roll -0.000\n" +
                        p + "Pitch 0  Roll 5.000 Reads Pitch 1.000 Roll -0.010\n" +
                        p + "Pitch -5.000  Roll 0 Reads Pitch 2.000 Roll -0.020\n" +
                        p + "Pitch 0  Roll -5.000 Reads Pitch 3.000 Roll -0.030\n" +
                        p + "Pitch 45.000  Roll 0 Reads Pitch 10.000 Roll -0.100\n" +
                        p + "Pitch 0  Roll 45.000 Reads Pitch 11.000 Roll -0.110\n" +
                        p + "Pitch -45.000  Roll 0 Reads Pitch 12.000 Roll -0.120\n" +
                        p + "Pitch 0  Roll -45.000 Reads Pitch 13.000 Roll -0.130\n");
  EXPECT_FALSE(inclinometerRun.calRun);
  EXPECT_FALSE(inclinometerRun.checkRun);
}

TEST_F(RecordTest, FailedInclinometerCalibrationWithoutKnownCurrent) {
  inclinometerRun.calRun = true;
  unit.unitCurrentMa = -1;
  unit.inclinometerWarmUpTenths = 9;
  RecordInclinometerCalibration(settings, unit, inclinometerRun, op, client.clock());
  const std::string p = "AB 123456-001 09:05 07/03/2005 ";
  EXPECT_EQ(File(), p + "External digital inclinometer calibration failed\n" + p + "Warm up 0 seconds\n");
}

TEST_F(RecordTest, NothingRunWritesNothingForTheInclinometer) {
  RecordInclinometerCalibration(settings, unit, inclinometerRun, op, client.clock());
  EXPECT_EQ(File(), "");
}

TEST_F(RecordTest, StrainGaugeCalibrationWithCheckPoints) {
  gaugeRun.calRun = true;
  gaugeRun.calPassed = true;
  gaugeRun.gaugeManufacturer = "Druck";
  gaugeRun.gaugeModel = "PTX";
  unit.gaugeSerialNo = 4000000001u;
  unit.gaugeFullScaleBar = 20.0;
  unit.gaugeAccuracyPercent = 0.1;
  gaugeRun.atmosphericPressureMb = 1013.25;
  gaugeRun.temperatureDegC = 21.5;
  gaugeRun.equipmentUsed = "Budenburg";
  gaugeRun.equipmentIdNo = 42;
  gaugeRun.checkRun = true;
  unit.strainGaugeWarmUpTenths = 55;
  // Tolerance 400 psi x 0.125 % = 0.5 psi, all exact in binary: a deviation of exactly the
  // tolerance passes.
  gaugeRun.pressurePoints[0] = {true, 400.0, 0.125, 100.5, "100"};
  gaugeRun.pressurePoints[1] = {false, 400.0, 0.125, 0.0, "200"};
  gaugeRun.pressurePoints[2] = {true, 400.0, 0.125, 200.75, "200"};
  gaugeRun.pressurePoints[3] = {true, 400.0, 0.125, 0.25, "none"};
  RecordStrainGaugeCalibration(settings, unit, gaugeRun, op, client.clock());
  const std::string p = "AB 123456-001 09:05 07/03/2005 ";
  EXPECT_EQ(File(), p + "RS485 strain gauge calibrated\n" +
                        p + "Druck PTX Ser No 4000000001\n" +
                        p + "Full scale 20.0 BAR Accuracy 0.10 %\n" +
                        p + "Atmospheric Press 1013.2 mB Temperature 21.50 deg C\n" +
                        p + "Equipment used Budenburg Id No 42\n" +
                        p + "Applied 100.0  Read 100.5 Pass\n" +
                        p + "Applied 200.0  Read 200.8 FAIL!!\n" +
                        p + "Applied 0.0  Read 0.2 Pass\n" +
                        p + "Warm up period 5.5 secs\n");
  for (const auto& point : gaugeRun.pressurePoints) EXPECT_FALSE(point.done);
  EXPECT_FALSE(gaugeRun.calRun);
  EXPECT_FALSE(gaugeRun.checkRun);
}

TEST_F(RecordTest, StrainGaugeWithNothingRunWritesOnlyTheWarmUpLine) {
  unit.strainGaugeWarmUpTenths = 55;
  RecordStrainGaugeCalibration(settings, unit, gaugeRun, op, client.clock());
  EXPECT_EQ(File(), "AB 123456-001 09:05 07/03/2005 Warm up period 5.5 secs\n");
}

TEST(DriveMap, WindowsFoldersMapToLinuxDirectories) {
  DriveMap drives;
  drives.Set('C', "/home/bench/");
  EXPECT_EQ(drives.Resolve("C:\\Quorvanta\\D5Status"), "/home/bench/Quorvanta/D5Status");
  EXPECT_EQ(drives.Resolve("Q:\\CALIBRAT\\Drelvik5\\Endcap\\"), "/mnt/q/CALIBRAT/Drelvik5/Endcap/");
  EXPECT_TRUE(drives.SetFromOption("q=/srv/certs"));
  EXPECT_EQ(drives.Resolve("Q:\\CALIBRAT"), "/srv/certs/CALIBRAT");
  EXPECT_EQ(drives.Resolve("relative\\name"), "relative\\name");
  EXPECT_FALSE(drives.SetFromOption("QQ=/x"));
  EXPECT_FALSE(drives.SetFromOption("1=/x"));
  EXPECT_FALSE(drives.SetFromOption("Q="));
}

TEST(DriveMap, MakeDirectoriesCreatesParentsAndAcceptsExisting) {
  char pattern[] = "/tmp/endcap-dirs-XXXXXX";
  const std::string base = mkdtemp(pattern);
  const std::string deep = base + "/Quorvanta/D5Status";
  EXPECT_TRUE(MakeDirectories(deep));
  EXPECT_TRUE(MakeDirectories(deep));
  rmdir(deep.c_str());
  rmdir((base + "/Quorvanta").c_str());
  rmdir(base.c_str());
}

}  // namespace
}  // namespace endcap
