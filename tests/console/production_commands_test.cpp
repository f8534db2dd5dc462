// The main window's production commands against the simulated unit on an in-memory line and
// the virtual clock: the PCB test's order of steps, the factory buttons, and the Bootload
// command's file choice, check, switch, pieces, progress bar and closing boxes.

#include <gtest/gtest.h>

#include "resources/control_ids.h"
#include "console/main_dialog.h"
#include "records/certificate_items.h"
#include "protocol/register_map.h"
#include "tests/console/fake_views.h"
#include "tests/console/simulated_station.h"
#include "tests/support/hex_records.h"
#include "tests/support/scripted_peer.h"
#include "unit/unit_identity.h"

namespace endcap {
namespace {

using testing::EndOfFileRecord;
using testing::FakeMainView;
using testing::HexImage;
using testing::HexRecord;
using testing::SimulatedStation;
using testing::WithCrc;
using testing::WriteFile;
using Bytes = std::vector<uint8_t>;

const Bytes kHandshake = {0xFA, 0x04, 0x00, 0x02, 0x00, 0x03, 0x04, 0x40};
const Bytes kUnlock = {0xFA, 0x41, 0x16, 0xC3, 0x2E, 0xD9};
const Bytes kBoardTest = WithCrc({0xFA, 0x45, 0x00, 0x00});
const Bytes kBootLoader = WithCrc({0xFA, 0x46, 0x00, 0x00});
const char* const kFirmwareFolder = "C:\\Microchip\\projects\\6120-047\\";
const std::vector<FileFilter> kFirmwareFilters = {{"BootCode (*.hex)", "*.hex"}, {"All (*.*)", "*.*"}};
const char* const kCycle = "Cycle the unit power to reset it";

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Passes the station's writes to the unit, but drops some: those the test names by their
// index among the writes made while the unit is in its boot loader, or every write of one
// Modbus function.
class LossyLine : public LinePeer {
public:
  LossyLine(MemoryLine& line, LinePeer& unitPeer, sim::SimulatedUnit& unit) : unitPeer_(unitPeer), unit_(unit) {
    line.SetPeer(this);
  }
  void OnHostBytes(const uint8_t* data, size_t size) override {
    if (unit_.mode() == sim::UnitMode::BootLoader) {
      if (droppedLines.count(bootWrites_++)) return;
    } else if (size >= 2 && data[1] == droppedFunction) {
      return;
    }
    unitPeer_.OnHostBytes(data, size);
  }
  std::set<int> droppedLines;
  uint8_t droppedFunction = 0;

private:
  LinePeer& unitPeer_;
  sim::SimulatedUnit& unit_;
  int bootWrites_ = 0;
};

// A unit whose program answers function 70 itself with reply: it never enters its boot loader.
class AnswersFunction70 : public LinePeer {
public:
  AnswersFunction70(MemoryLine& line, LinePeer& unitPeer, Bytes reply = {0xFA, 0x46, 0x42})
      : line_(line), unitPeer_(unitPeer), reply_(std::move(reply)) {
    line.SetPeer(this);
  }
  void OnHostBytes(const uint8_t* data, size_t size) override {
    if (size >= 2 && data[1] == reg::kBootLoaderFunction) line_.Send(WithCrc(reply_), 5);
    else unitPeer_.OnHostBytes(data, size);
  }

private:
  MemoryLine& line_;
  LinePeer& unitPeer_;
  Bytes reply_;
};

// Writes other content into a file as function 70 goes out, after the station checked it.
class ReplacesFileAtTheSwitch : public LinePeer {
public:
  ReplacesFileAtTheSwitch(MemoryLine& line, LinePeer& unitPeer, std::string path, std::string content)
      : unitPeer_(unitPeer), path_(std::move(path)), content_(std::move(content)) {
    line.SetPeer(this);
  }
  void OnHostBytes(const uint8_t* data, size_t size) override {
    if (size >= 2 && data[1] == reg::kBootLoaderFunction) WriteFile(path_, content_);
    unitPeer_.OnHostBytes(data, size);
  }

private:
  LinePeer& unitPeer_;
  std::string path_;
  std::string content_;
};

class ProductionCommandsTest : public ::testing::Test, protected SimulatedStation {
protected:
  ProductionCommandsTest() { dialog_.OnInitDialog(); }

  void Connect() {
    op_.ExpectChoosePort(1);
    dialog_.OnCommand(ctl::kConnect);
    op_.VerifyDone();
    ASSERT_TRUE(dialog_.connected);
  }
  std::vector<Bytes> WrittenSince(size_t mark) {
    return std::vector<Bytes>(line_.writes().begin() + static_cast<long>(mark), line_.writes().end());
  }
  size_t Mark() { return line_.writes().size(); }
  std::string Program(const std::string& name, const std::string& content) {
    const std::string path = home_.path() + "/" + name;
    WriteFile(path, content);
    return path;
  }
  void ExpectChoice(const std::string& answer) { op_.ExpectChooseFile(kFirmwareFolder, kFirmwareFilters, answer); }
  void ExpectPcbTestStart() {
    const MessageBox warning{"Warning!!\r\nContinuing will erase any existing calibration\r\nContinue?", kApplicationName,
                             BoxButtons::YesNo, BoxIcon::Warning, 0, BoxOwner::Window};
    op_.ExpectMessage(warning, BoxAnswer::Yes);
    op_.ExpectPrompt("Enter operator ID 2/3 chars", "", "ab");
  }

  FakeMainView view_;
  MainDialog dialog_{app_, view_};
};

TEST_F(ProductionCommandsTest, PcbTestConfirmsPreparesTheBoardRunsTheDialogAndRefreshes) {
  Connect();
  view_.pane = "old";
  ExpectPcbTestStart();
  op_.ExpectPrompt("Enter board serial No", "", "123456-7");
  view_.pcbPresses = {ctl::pcb::kCheckInternalRs485, ctl::kCancel};
  op_.ExpectUnownedBox("Pass", "Internal RS485");
  op_.ExpectWindowBox("Internal RS485 test  PASS");
  view_.pcbInspect = [](const PcbTestDialog& d) { EXPECT_EQ(d.run.internalRs485Result, kCheckPassed); };
  const size_t mark = Mark();
  dialog_.OnCommand(ctl::kPcbTest);
  op_.VerifyDone();
  EXPECT_EQ(view_.pcbTestRuns, 1);
  EXPECT_EQ(view_.pcbEnding, PcbTestView::Ending::Cancel);
  const std::vector<Bytes> sent = WrittenSince(mark);
  ASSERT_GE(sent.size(), 4u);
  EXPECT_EQ(sent[0], kHandshake);
  // The unit information, then the unlock and function 69 just before the dialog's first check.
  const auto boardTest = std::find(sent.begin(), sent.end(), kBoardTest);
  ASSERT_NE(boardTest, sent.end());
  EXPECT_EQ(*(boardTest - 1), kUnlock);
  EXPECT_EQ((boardTest + 1)->at(1), reg::kWriteSingleRegister);
  // Confirmed in the station only: the board keeps its own serial until "Set serial number".
  EXPECT_TRUE(app_.unit.boardSerialConfirmed);
  EXPECT_EQ(app_.unit.boardSerial, "000000-000");
  EXPECT_EQ(view_.pane, FormatUnitInfo(app_.unit));
}

TEST_F(ProductionCommandsTest, PcbTestExitStampsTheVerdictThatTheRefreshedPaneShows) {
  Connect();
  ExpectPcbTestStart();
  op_.ExpectPrompt("Enter board serial No", "", "123456-7");
  view_.pcbPresses = {ctl::pcb::kExit};
  const MessageBox question{"Not all checks complete!!\r\nDo you wish to exit?", kApplicationName, BoxButtons::YesNo,
                            BoxIcon::Warning, 0, BoxOwner::Window};
  op_.ExpectMessage(question, BoxAnswer::Yes).ExpectWindowBox("Overall result !! FAIL !!");
  dialog_.OnCommand(ctl::kPcbTest);
  op_.VerifyDone();
  EXPECT_EQ(view_.pcbEnding, PcbTestView::Ending::Ok);
  EXPECT_NE(view_.pane.find("Factory cal\t\tNot calibrated\r\n"), std::string::npos);
  // The verdict is in the store too, under the board serial the operator confirmed.
  std::vector<StoredResult> stored;
  std::string error;
  ASSERT_TRUE(ResultsStoreOf(app_.settings.records).List("123456-007", stored, error)) << error;
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].key + " " + std::to_string(stored[0].result.passFlag) + " " + stored[0].result.name, "PCB.06 0 AB");
}

TEST_F(ProductionCommandsTest, PcbTestStopsAtEachRefusal) {
  Connect();
  // No to the warning: nothing else happens, not even the refresh.
  view_.pane = "untouched";
  const MessageBox warning{"Warning!!\r\nContinuing will erase any existing calibration\r\nContinue?", kApplicationName,
                           BoxButtons::YesNo, BoxIcon::Warning, 0, BoxOwner::Window};
  op_.ExpectMessage(warning, BoxAnswer::No);
  size_t mark = Mark();
  dialog_.OnCommand(ctl::kPcbTest);
  op_.VerifyDone();
  EXPECT_EQ(WrittenSince(mark), std::vector<Bytes>{kHandshake});
  EXPECT_EQ(view_.pane, "untouched");

  // A bad operator ID: no board test, no dialog, but the unit view is refreshed.
  op_.ExpectMessage(warning, BoxAnswer::Yes)
      .ExpectPrompt("Enter operator ID 2/3 chars", "", "a")
      .ExpectWindowBox("Operator ID must be 2 or 3 characters");
  mark = Mark();
  dialog_.OnCommand(ctl::kPcbTest);
  op_.VerifyDone();
  const std::vector<Bytes> sent = WrittenSince(mark);
  EXPECT_EQ(std::count(sent.begin(), sent.end(), kBoardTest), 0);
  EXPECT_EQ(view_.pcbTestRuns, 0);
  EXPECT_EQ(view_.pane, FormatUnitInfo(app_.unit));

  // Not connected: only the connection's own boxes.
  unit_.InjectFault(sim::Fault::NoReply, sim::FaultMode::Once);
  op_.ExpectWindowBox("Failed to connect to the External inclinometer\r\nHas the board been programmed??");
  dialog_.OnCommand(ctl::kPcbTest);
  op_.VerifyDone();
  EXPECT_EQ(view_.pcbTestRuns, 0);
}

TEST_F(ProductionCommandsTest, FactoryButtonsShowInBothStatesOnlyWhenAsked) {
  const std::vector<int> factory = {ctl::kPcbTest, ctl::kCalibrationSheet, ctl::kDevTest};
  for (int id : factory) EXPECT_FALSE(view_.visible[id]) << id;
  dialog_.factoryButtons = true;
  dialog_.OnInitDialog();
  EXPECT_EQ(view_.Shown(), (std::vector<int>{ctl::kConnect, ctl::kExit, ctl::kPcbTest, ctl::kCalibrationSheet,
                                             ctl::kDevTest}));
  Connect();
  for (int id : factory) EXPECT_TRUE(view_.visible[id]) << id;
  EXPECT_FALSE(view_.visible[ctl::kConnect]);
  EXPECT_EQ(view_.visible.count(ctl::kProgressBar), 0u);
}

TEST_F(ProductionCommandsTest, BootloadWithoutAFileSendsNothing) {
  Connect();
  ExpectChoice("");
  const size_t mark = Mark();
  dialog_.OnCommand(ctl::kBootload);
  op_.VerifyDone();
  EXPECT_EQ(dialog_.lastLoad.path, "");
  EXPECT_EQ(WrittenSince(mark), std::vector<Bytes>{kHandshake});
  EXPECT_EQ(dialog_.lastLoad.outcome, LoadOutcome::NoFile);
  EXPECT_TRUE(view_.progressPositions.empty());
  // The folder is the same at every use, whatever was picked before.
  ExpectChoice("");
  dialog_.OnCommand(ctl::kBootload);
}

TEST_F(ProductionCommandsTest, AUnitThatAnswersTheBootLoaderFunctionIsNotLoaded) {
  Connect();
  AnswersFunction70 program(line_, peer_);
  const std::string path = Program("a.hex", HexImage(2, 16));
  ExpectChoice(path);
  const size_t mark = Mark();
  dialog_.OnCommand(ctl::kBootload);
  op_.VerifyDone();
  EXPECT_EQ(WrittenSince(mark), (std::vector<Bytes>{kHandshake, kUnlock, kBootLoader}));
  EXPECT_EQ(dialog_.lastLoad.outcome, LoadOutcome::NotSwitched);
  EXPECT_EQ(dialog_.lastLoad.path, path);
  EXPECT_EQ(view_.progressUpper, -1);
  EXPECT_EQ(unit_.mode(), sim::UnitMode::Modbus);
}

// The program's answer in Modbus: the boot loader never heard the lines that would follow.
TEST_F(ProductionCommandsTest, AnExceptionToTheBootLoaderFunctionEndsTheLoadThere) {
  Connect();
  AnswersFunction70 program(line_, peer_, {0xFA, 0xC6, 0x04});
  ExpectChoice(Program("a.hex", HexImage(2, 16)));
  op_.ExpectWindowBox("The unit answered the switch to its boot loader (exception code 4)\r\n"
                      "It still runs its program; no line was sent");
  const size_t mark = Mark();
  dialog_.OnCommand(ctl::kBootload);
  op_.VerifyDone();
  EXPECT_EQ(WrittenSince(mark), (std::vector<Bytes>{kHandshake, kUnlock, kBootLoader}));
  EXPECT_EQ(dialog_.lastLoad.outcome, LoadOutcome::SwitchRefused);
  EXPECT_EQ(dialog_.lastLoad.switchReply, "exception code 4");
  EXPECT_EQ(view_.progressUpper, -1);
}

TEST_F(ProductionCommandsTest, TheCopyThatWasCheckedIsSentWhateverTheFileHoldsLater) {
  Connect();
  const std::string path = Program("a.hex", HexImage(1, 16));
  ReplacesFileAtTheSwitch replacer(line_, peer_, path, "not a program\n");
  ExpectChoice(path);
  op_.ExpectWindowBox(kCycle);
  dialog_.OnCommand(ctl::kBootload);
  op_.VerifyDone();
  EXPECT_EQ(dialog_.lastLoad.outcome, LoadOutcome::Sent);
  const sim::BootImage image = unit_.bootImage();
  EXPECT_EQ(image.lines, (std::vector<std::string>{HexImage(1, 16).substr(0, 43), EndOfFileRecord()}));
  EXPECT_TRUE(image.endedWithEof);
}

TEST_F(ProductionCommandsTest, AFailedUnlockStopsBeforeTheSwitch) {
  Connect();
  LossyLine lossy(line_, peer_, unit_);
  lossy.droppedFunction = reg::kUnlockFunction;
  ExpectChoice(Program("a.hex", HexImage(2, 16)));
  const size_t mark = Mark();
  dialog_.OnCommand(ctl::kBootload);
  op_.VerifyDone();
  EXPECT_EQ(WrittenSince(mark), (std::vector<Bytes>{kHandshake, kUnlock}));
  EXPECT_EQ(dialog_.lastLoad.outcome, LoadOutcome::UnlockFailed);
}

TEST_F(ProductionCommandsTest, ThreeLinesGoOutAsThreePiecesWithTheProgressBar) {
  Connect();
  const std::vector<std::string> lines = {HexRecord(0, 0, std::vector<uint8_t>(16, 0x11)),
                                          HexRecord(0, 16, std::vector<uint8_t>(16, 0x22)), EndOfFileRecord()};
  ASSERT_EQ(lines[0].size(), 43u);
  ExpectChoice(Program("three.hex", lines[0] + "\n" + lines[1] + "\r\n" + lines[2] + "\n"));
  op_.ExpectWindowBox(kCycle);
  const size_t mark = Mark();
  dialog_.OnCommand(ctl::kBootload);
  op_.VerifyDone();
  const std::vector<Bytes> sent = WrittenSince(mark);
  ASSERT_GE(sent.size(), 6u);
  EXPECT_EQ(std::vector<Bytes>(sent.begin(), sent.begin() + 6),
            (std::vector<Bytes>{kHandshake, kUnlock, kBootLoader, Text(lines[0] + "\n"), Text(lines[1] + "\n"),
                                Text(lines[2] + "\n")}));
  EXPECT_EQ(view_.progressLower, 0);
  EXPECT_EQ(view_.progressUpper, 3);
  EXPECT_EQ(view_.progressPositions, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_FALSE(view_.visible[ctl::kProgressBar]);
  const LoadResult& load = dialog_.lastLoad;
  EXPECT_EQ(load.outcome, LoadOutcome::Sent);
  EXPECT_EQ(load.pieces, 3);
  EXPECT_EQ(load.lines, 3);
  EXPECT_EQ(load.unanswered, 0);
  const sim::BootImage image = unit_.bootImage();
  EXPECT_EQ(image.records, 3);
  EXPECT_EQ(image.badChecksums, 0);
  EXPECT_TRUE(image.endedWithEof);
  EXPECT_EQ(std::vector<std::string>(image.lines.begin(), image.lines.begin() + 3), lines);
}

TEST_F(ProductionCommandsTest, ALongLineGoesOutInTwoPiecesAndOnlyItsLastIsAnswered) {
  Connect();
  const std::string record = HexRecord(0, 0, std::vector<uint8_t>(25, 0x33));
  ASSERT_EQ(record.size(), 61u);
  ExpectChoice(Program("long.hex", record + "\n" + EndOfFileRecord() + "\n"));
  op_.ExpectWindowBox(kCycle);
  const size_t mark = Mark();
  dialog_.OnCommand(ctl::kBootload);
  op_.VerifyDone();
  const std::vector<Bytes> sent = WrittenSince(mark);
  ASSERT_GE(sent.size(), 6u);
  EXPECT_EQ(sent[3], Text(record.substr(0, 49)));
  EXPECT_EQ(sent[4], Text(record.substr(49) + "\n"));
  EXPECT_EQ(view_.progressUpper, 3);
  EXPECT_EQ(dialog_.lastLoad.lines, 2);
  EXPECT_EQ(dialog_.lastLoad.unanswered, 0);
  EXPECT_EQ(unit_.bootImage().records, 2);
}

TEST_F(ProductionCommandsTest, UnansweredLinesAreCountedAndReported) {
  Connect();
  LossyLine lossy(line_, peer_, unit_);
  lossy.droppedLines = {0, 2};
  ExpectChoice(Program("p.hex", HexImage(3, 16)));
  op_.ExpectWindowBox("2 of 4 lines got no answer from the boot loader!!\r\nThe new program may not have loaded");
  op_.ExpectWindowBox(kCycle);
  dialog_.OnCommand(ctl::kBootload);
  op_.VerifyDone();
  EXPECT_EQ(dialog_.lastLoad.outcome, LoadOutcome::Sent);
  EXPECT_EQ(dialog_.lastLoad.unanswered, 2);
  EXPECT_EQ(view_.progressPositions.back(), 4);
  EXPECT_EQ(unit_.bootImage().records, 2);
}

TEST_F(ProductionCommandsTest, AFileThatIsNotAProgramIsRefusedBeforeTheBoardIsTouched) {
  Connect();
  const std::string bad = ":10010000214601360121470136007EFE09D2190141";
  const std::pair<std::string, std::string> rows[] = {
      {"", "%s is not a hex-record program file\r\nthe file is empty\r\nNothing was sent to the unit"},
      {HexRecord(0, 0, {1, 2}) + "\n" + bad + "\n" + EndOfFileRecord() + "\n",
       "%s is not a hex-record program file\r\nline 2: the checksum is 41, it should be 40\r\nNothing was sent to the "
       "unit"},
  };
  for (const auto& [content, text] : rows) {
    const std::string path = Program("bad.hex", content);
    ExpectChoice(path);
    std::string expected = text;
    expected.replace(expected.find("%s"), 2, path);
    op_.ExpectWindowBox(expected);
    const size_t mark = Mark();
    dialog_.OnCommand(ctl::kBootload);
    op_.VerifyDone();
    EXPECT_EQ(WrittenSince(mark), std::vector<Bytes>{kHandshake});
    EXPECT_EQ(dialog_.lastLoad.outcome, LoadOutcome::Refused);
  }
  ExpectChoice(home_.path() + "/gone.hex");
  op_.ExpectWindowBox(home_.path() + "/gone.hex cannot be read\r\nNo such file or directory\r\nNothing was sent to the unit");
  dialog_.OnCommand(ctl::kBootload);
  op_.VerifyDone();
  EXPECT_EQ(unit_.mode(), sim::UnitMode::Modbus);
  EXPECT_TRUE(view_.progressPositions.empty());
}

}  // namespace
}  // namespace endcap
