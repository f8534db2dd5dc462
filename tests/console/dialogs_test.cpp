// The port chooser and text entry logic, the sensor list's prefix match, the layout
// arithmetic and the station's command line.

#include <gtest/gtest.h>

#include "resources/control_ids.h"
#include "console/dialog_units.h"
#include "console/display_text.h"
#include "console/station_options.h"
#include "serial/clock.h"
#include "serial/memory_device.h"
#include "tests/console/fake_views.h"

namespace endcap {
namespace {

using testing::FakePortChooserView;
using testing::FakeTextEntryView;

class PortChooserTest : public ::testing::Test {
protected:
  void Wire(int port) {
    lines_.push_back(std::make_unique<MemoryLine>(clock_));
    provider_.Attach(port, *lines_.back());
  }
  MemoryLine& Line(size_t i) { return *lines_.at(i); }

  VirtualClock clock_;
  MemoryPortProvider provider_;
  std::vector<std::unique_ptr<MemoryLine>> lines_;
  FakePortChooserView view_;
  PortChooserDialog dialog_{provider_, view_};
};

TEST_F(PortChooserTest, ListsThePortsThatOpenAndSelectsComOne) {
  Wire(1);
  Wire(3);
  dialog_.OnInitDialog();
  EXPECT_EQ(view_.items, (std::vector<std::string>{"COMM  1", "COMM  3"}));
  EXPECT_EQ(view_.text, "COMM  1");
  dialog_.OnSelect();
  EXPECT_EQ(dialog_.port, 1);
  EXPECT_EQ(dialog_.portText, "COMM  1");
  EXPECT_EQ(view_.ended, ctl::kOk);
}

TEST_F(PortChooserTest, SelectsTheFirstItemWithoutComOne) {
  Wire(4);
  Wire(6);
  dialog_.OnInitDialog();
  EXPECT_EQ(view_.text, "COMM  4");
  dialog_.OnSelect();
  EXPECT_EQ(dialog_.port, 4);
}

TEST_F(PortChooserTest, ProbesOneToEightClosingEachAndLeavesOutAPortHeldElsewhere) {
  Wire(1);
  Wire(8);
  Wire(9);
  SerialError error;
  const auto holder = provider_.OpenPort(1, error);
  ASSERT_TRUE(holder);
  dialog_.OnInitDialog();
  EXPECT_EQ(view_.items, (std::vector<std::string>{"COMM  8"}));
  EXPECT_EQ(view_.text, "COMM  8");
  EXPECT_EQ(provider_.openCount(), 2);
  EXPECT_FALSE(Line(1).inUse());
}

TEST_F(PortChooserTest, NoPortGivesAnEmptyListAndZero) {
  dialog_.port = 7;
  dialog_.OnInitDialog();
  EXPECT_EQ(dialog_.port, 0);
  EXPECT_TRUE(view_.items.empty());
  dialog_.OnSelect();
  EXPECT_EQ(dialog_.port, 0);
}

TEST_F(PortChooserTest, TakesATypedNumberUpToNinetyNine) {
  Wire(2);
  dialog_.OnInitDialog();
  view_.text = "COMM 12";
  dialog_.OnSelect();
  EXPECT_EQ(dialog_.port, 12);
}

TEST(PortFromText, ReadsTheLastTwoCharacters) {
  EXPECT_EQ(PortFromText("COMM  4"), 4);
  EXPECT_EQ(PortFromText("COMM 99"), 99);
  EXPECT_EQ(PortFromText("COM123"), 23);
  EXPECT_EQ(PortFromText("COMM 4x"), 4);
  EXPECT_EQ(PortFromText("COMM x4"), 0);
  EXPECT_EQ(PortFromText("COMM"), 0);
  EXPECT_EQ(PortFromText("7"), 7);
  EXPECT_EQ(PortFromText(""), 0);
}

TEST(TextEntryDialog, ShowsTheDefaultUnderTheCaptionAndEnterTakesTheEdit) {
  FakeTextEntryView view;
  TextEntryDialog dialog(view);
  dialog.value = "250";
  dialog.caption = "Enter Modbus address for unit";
  dialog.OnInitDialog();
  EXPECT_EQ(view.caption, "Enter Modbus address for unit");
  EXPECT_EQ(view.edit, "250");
  EXPECT_EQ(dialog.editText, "250");
  EXPECT_EQ(view.ended, 0);
  view.edit.clear();
  dialog.OnEnter();
  EXPECT_EQ(dialog.value, "");
  EXPECT_EQ(view.ended, ctl::kOk);
}

TEST(FindItemBeginningWith, MatchesAPrefixIgnoringCase) {
  const std::vector<std::string> items = {"Inclinometer", "RS485 Strain"};
  EXPECT_EQ(FindItemBeginningWith(items, ""), 0);
  EXPECT_EQ(FindItemBeginningWith(items, "rs4"), 1);
  EXPECT_EQ(FindItemBeginningWith(items, "INCLINOMETER"), 0);
  EXPECT_EQ(FindItemBeginningWith(items, "Strain"), -1);
  EXPECT_EQ(FindItemBeginningWith(items, "Inclinometer 2"), -1);
  EXPECT_EQ(FindItemBeginningWith({}, ""), -1);
}

TEST(DialogUnits, ScaleByTheFontsBaseUnitsAndRound) {
  // A font whose alphabets measure 312 pixels has an average width of 6.
  EXPECT_EQ(AverageCharWidth(312), 6);
  EXPECT_EQ(AverageCharWidth(338), 7);
  const PixelRect r = MapDialogRect(413, 241, 7, 14, {6, 13});
  EXPECT_EQ(r.x, 620);  // 619.5 rounds up
  EXPECT_EQ(r.y, 392);  // 391.625
  EXPECT_EQ(r.w, 11);   // 10.5
  EXPECT_EQ(r.h, 23);   // 22.75
}

TEST(DisplayText, ConvertsLineBreaksBothWays) {
  EXPECT_EQ(ToDisplayText("Pitch\t1\r\nRoll\t2\r\n\r\n"), "Pitch\t1\nRoll\t2\n\n");
  EXPECT_EQ(FromDisplayText("Pitch\t1\nRoll\t2\n\n"), "Pitch\t1\r\nRoll\t2\r\n\r\n");
  EXPECT_EQ(FromDisplayText("a\r\nb"), "a\r\nb");
  EXPECT_EQ(FromDisplayText("\n"), "\r\n");
}

class StationOptionsTest : public ::testing::Test {
protected:
  ParseOutcome Parse(const std::vector<std::string>& args) {
    options_ = StationOptions();
    return ParseStationOptions(args, options_);
  }
  // The one-line reason of a usage error.
  std::string UsageError(const std::vector<std::string>& args) {
    const ParseOutcome outcome = Parse(args);
    EXPECT_EQ(outcome.kind, ParseOutcome::Kind::UsageError);
    EXPECT_NE(outcome.usage.find("endcap-station"), std::string::npos);
    return outcome.text;
  }
  StationOptions options_;
};

TEST_F(StationOptionsTest, MapsPortsAndDrivesInBothFormsAndTakesTheSwitches) {
  const ParseOutcome outcome =
      Parse({"--port", "3=/dev/pts/4", "--port=2=/dev/ttyACM0", "--drive", "C=/srv/station/", "--drive=q=/mnt/cal"});
  ASSERT_EQ(outcome.kind, ParseOutcome::Kind::Run) << outcome.text;
  EXPECT_EQ(options_.shared.ports.PathOf(3), "/dev/pts/4");
  EXPECT_EQ(options_.shared.ports.PathOf(2), "/dev/ttyACM0");
  EXPECT_EQ(options_.shared.ports.PathOf(1), "/dev/ttyS0");
  EXPECT_EQ(options_.shared.drives.Resolve("C:\\Quorvanta\\D5Status"), "/srv/station/Quorvanta/D5Status");
  EXPECT_EQ(options_.shared.drives.Resolve("Q:\\CALIBRAT"), "/mnt/cal/CALIBRAT");
  EXPECT_FALSE(options_.simulate);
  EXPECT_EQ(options_.shared.traceFile, "");
  EXPECT_FALSE(options_.factory);
  ASSERT_EQ(Parse({"--trace", "-", "--simulate", "--factory"}).kind, ParseOutcome::Kind::Run);
  EXPECT_EQ(options_.shared.traceFile, "-");
  EXPECT_TRUE(options_.simulate);
  EXPECT_TRUE(options_.factory);
}

TEST_F(StationOptionsTest, HelpListsEveryOption) {
  const ParseOutcome outcome = Parse({"--simulate", "--help"});
  ASSERT_EQ(outcome.kind, ParseOutcome::Kind::Help);
  for (const char* option : {"--port N=PATH", "--drive X=DIR", "--trace FILE", "--simulate", "--factory", "--help"})
    EXPECT_NE(outcome.text.find(option), std::string::npos) << option;
}

TEST_F(StationOptionsTest, RejectsWhatItDoesNotKnow) {
  EXPECT_EQ(UsageError({"--bogus"}), "The following argument was not expected: --bogus");
  EXPECT_EQ(UsageError({"--port", "0=/dev/ttyS0"}), "--port: '0=/dev/ttyS0': expected N=PATH with N from 1 to 255");
  EXPECT_EQ(UsageError({"--drive", "CC=/tmp"}), "--drive: 'CC=/tmp': expected X=DIR with X a drive letter");
  EXPECT_EQ(UsageError({"--trace"}), "--trace: 1 required FILE missing");
  EXPECT_EQ(UsageError({"--trace", ""}), "--trace: needs a file name ('-' for standard error)");
}

}  // namespace
}  // namespace endcap
