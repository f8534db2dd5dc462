// The PCB test dialog against the simulated unit on an in-memory line and the virtual clock:
// each check's boxes and prompts in order, its result, and Exit's verdict in the factory record.

#include <gtest/gtest.h>

#include "procedures/pcb_test_dialog.h"
#include "protocol/register_map.h"
#include "serial/memory_device.h"
#include "sim/memory_unit_peer.h"
#include "sim/simulated_unit.h"
#include "unit/unit_identity.h"
#include "tests/support/scripted_operator.h"

namespace endcap {
namespace {

using testing::ScriptedOperator;

class FakePcbTestView : public PcbTestView {
public:
  void EndDialog(Ending how) override {
    ++endings;
    ending = how;
  }
  int endings = 0;
  Ending ending = Ending::Cancel;
};

const std::vector<uint16_t> kErased = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};

class PcbTestDialogTest : public ::testing::Test {
protected:
  PcbTestDialogTest() {
    ports_.Attach(1, line_);
    port_.OpenOnPort(1);
    LoadDefaultLimits(limits_);
    operatorId_ = "AB";
    unitState_.operatorMarker = 1;
    dialog_.Attach(view_);
    dialog_.OnInitDialog();
  }

  void ExpectWindowBox(const std::string& text) { op_.ExpectWindowBox(text); }
  void ExpectSupplyBoxes(const std::string& board, const std::string& external) {
    op_.ExpectUnownedBox(board, "Power supplies");
    op_.ExpectUnownedBox(external, "External supplies");
  }
  std::vector<uint16_t> FactoryRecord() {
    std::vector<uint16_t> regs;
    for (uint16_t r = reg::kCalRecords; r < reg::kCalRecords + reg::kCalRecordSize; ++r) regs.push_back(*unit_.Register(r));
    return regs;
  }
  void SetAll(CheckResult result) {
    dialog_.run.serialResult = dialog_.run.suppliesResult = dialog_.run.currentResult = dialog_.run.internalRs485Result =
        dialog_.run.rs485CommsResult = result;
  }
  void StampFactoryRecord() {
    const uint16_t stamped[] = {0, 0x0102, 0x1A01, 0x0203};
    for (uint16_t k = 0; k < 4; ++k) unit_.SetRegister(static_cast<uint16_t>(reg::kCalRecords + k), stamped[k]);
  }

  VirtualClock clock_{0, {2026, 12, 8, 9, 5, 0}};
  MemoryLine line_{clock_};
  sim::SimulatedUnit unit_{clock_};
  sim::MemoryUnitPeer peer_{line_, unit_};
  MemoryPortProvider ports_;
  SerialPort port_{ports_, clock_};
  ScriptedOperator op_;
  UnitClient client_{port_};
  UnitState unitState_;
  DefaultLimits limits_;
  std::string operatorId_;
  PcbTestDialog dialog_{{client_, unitState_, op_, limits_, operatorId_}};
  FakePcbTestView view_;
};

TEST_F(PcbTestDialogTest, StartsWithEveryCheckNotRunAndTheButtonsWired) {
  for (CheckResult r : {dialog_.run.serialResult, dialog_.run.suppliesResult, dialog_.run.currentResult, dialog_.run.internalRs485Result,
                        dialog_.run.rs485CommsResult, dialog_.run.overallResult})
    EXPECT_EQ(r, kCheckNotRun);
  for (int id : {ctl::pcb::kSetSerialNumber, ctl::pcb::kCheckSupplyVoltages, ctl::pcb::kCheckSupplyCurrent, ctl::pcb::kCheckInternalRs485,
                 ctl::pcb::kCheckRs485Comms, ctl::pcb::kExit})
    EXPECT_TRUE(PcbTestDialog::HasCommand(id)) << id;
  EXPECT_FALSE(PcbTestDialog::HasCommand(1));
  EXPECT_FALSE(dialog_.OnCommand(2));
}

TEST_F(PcbTestDialogTest, SetSerialNumberWritesTheNormalisedSerialToTheBoard) {
  op_.ExpectPrompt("Board serial number", "000000-000", "123456-7");
  dialog_.OnCommand(ctl::pcb::kSetSerialNumber);
  op_.VerifyDone();
  EXPECT_EQ(dialog_.run.serialResult, kCheckPassed);
  EXPECT_EQ(unitState_.boardSerial, "123456-007");
  EXPECT_EQ(*unit_.Register(reg::kBoardSerial), 0x1234);
  EXPECT_EQ(*unit_.Register(reg::kBoardSerial + 1), 0x5607);

  // A serial the board refuses fails the check; the board and the station keep the old one.
  unit_.RefuseWrites(reg::kBoardSerial, reg::kBoardSerial + 1, sim::FaultMode::Once);
  op_.ExpectPrompt("Board serial number", "123456-007", "654321-1");
  dialog_.OnCommand(ctl::pcb::kSetSerialNumber);
  op_.VerifyDone();
  EXPECT_EQ(dialog_.run.serialResult, kCheckFailed);
  EXPECT_EQ(unitState_.boardSerial, "123456-007");
  EXPECT_EQ(*unit_.Register(reg::kBoardSerial), 0x1234);

  // A rejected entry fails the check and leaves the serial alone, in the station and the board.
  op_.ExpectPrompt("Board serial number", "123456-007", "12x456-008");
  op_.ExpectUnownedBox("Illegal character!!");
  dialog_.OnCommand(ctl::pcb::kSetSerialNumber);
  op_.VerifyDone();
  EXPECT_EQ(dialog_.run.serialResult, kCheckFailed);
  EXPECT_EQ(unitState_.boardSerial, "123456-007");
  EXPECT_EQ(*unit_.Register(reg::kBoardSerial + 1), 0x5607);
}

TEST_F(PcbTestDialogTest, SupplyVoltagesPassAtTheWindowEdgesAndAFailCanTurnBackToAPass) {
  unit_.SetSupply(sim::Supply::Board3V3, 3.6);
  unit_.SetSupply(sim::Supply::BoardMinus12, -13.0);
  unit_.SetSupply(sim::Supply::ExternalPlus12, 11.0);
  ExpectWindowBox("Connect 5310-xxx to the inclinometer connector PL7");
  ExpectSupplyBoxes("Pass\r\n +12V = 12.03\r\n-12V = -13.00\r\n3.3V = 3.60", "Pass\r\n +12V = 11.00\r\n-12V = -11.97");
  ExpectWindowBox("Overall voltage tests  PASS");
  dialog_.OnCommand(ctl::pcb::kCheckSupplyVoltages);
  op_.VerifyDone();
  EXPECT_EQ(dialog_.run.suppliesResult, kCheckPassed);

  // The board rails fail: the external supplies are still checked and shown.
  unit_.SetSupply(sim::Supply::BoardMinus12, -13.01);
  ExpectWindowBox("Connect 5310-xxx to the inclinometer connector PL7");
  ExpectSupplyBoxes("FAIL!!\r\n +12V = 12.03\r\n-12V = -13.01\r\n3.3V = 3.60", "Pass\r\n +12V = 11.00\r\n-12V = -11.97");
  ExpectWindowBox("Overall voltage tests !! FAIL !!");
  dialog_.OnCommand(ctl::pcb::kCheckSupplyVoltages);
  op_.VerifyDone();
  EXPECT_EQ(dialog_.run.suppliesResult, kCheckFailed);

  unit_.SetSupply(sim::Supply::BoardMinus12, -12.0);
  ExpectWindowBox("Connect 5310-xxx to the inclinometer connector PL7");
  ExpectSupplyBoxes("Pass\r\n +12V = 12.03\r\n-12V = -12.00\r\n3.3V = 3.60", "Pass\r\n +12V = 11.00\r\n-12V = -11.97");
  ExpectWindowBox("Overall voltage tests  PASS");
  dialog_.OnCommand(ctl::pcb::kCheckSupplyVoltages);
  op_.VerifyDone();
  EXPECT_EQ(dialog_.run.suppliesResult, kCheckPassed);
}

struct CurrentRow {
  const char* unloaded;
  const char* loaded;
  CheckResult result;
};

TEST_F(PcbTestDialogTest, SupplyCurrentAsksForBothCurrentsWhateverTheFirstGave) {
  const CurrentRow rows[] = {
      {"25", "90.0", kCheckPassed},   {"35.0", "110", kCheckPassed}, {"30 mA", "100mA", kCheckPassed},
      {"24.9", "100", kCheckFailed},  {"30", "89.9", kCheckFailed},  {"abc", "100", kCheckFailed},
      {"30", "", kCheckFailed},
  };
  for (const CurrentRow& row : rows) {
    ExpectWindowBox("Disconnect 5310-xxx from the inclinometer connector");
    op_.ExpectPrompt("Enter unloaded current (mA)", "", row.unloaded);
    ExpectWindowBox("Connect 5310-xxx from the inclinometer connector PL7");
    op_.ExpectPrompt("Enter loaded current (mA)", "", row.loaded);
    ExpectWindowBox(row.result == kCheckPassed ? "Current tests  PASS" : "Current tests !! FAIL !!");
    dialog_.OnCommand(ctl::pcb::kCheckSupplyCurrent);
    op_.VerifyDone();
    EXPECT_EQ(dialog_.run.currentResult, row.result) << row.unloaded << " " << row.loaded;
  }
}

TEST_F(PcbTestDialogTest, InternalRs485FollowsTheBoardsLoop) {
  op_.ExpectUnownedBox("Pass", "Internal RS485");
  ExpectWindowBox("Internal RS485 test  PASS");
  dialog_.OnCommand(ctl::pcb::kCheckInternalRs485);
  op_.VerifyDone();
  EXPECT_EQ(dialog_.run.internalRs485Result, kCheckPassed);

  unit_.InjectFault(sim::Fault::BrokenLoop, sim::FaultMode::Once);
  op_.ExpectUnownedBox("FAIL!!", "Internal RS485");
  ExpectWindowBox("Internal RS485 test !! FAIL !!");
  dialog_.OnCommand(ctl::pcb::kCheckInternalRs485);
  op_.VerifyDone();
  EXPECT_EQ(dialog_.run.internalRs485Result, kCheckFailed);
}

TEST_F(PcbTestDialogTest, Rs485CommsTellsTheOperatorToChangeTheLinkBeforeAndAfter) {
  for (bool answers : {true, false}) {
    if (!answers) unit_.InjectFault(sim::Fault::NoReply, sim::FaultMode::Once);
    ExpectWindowBox("Disconnect RS232 comms link\r\nReconnect using RS485 convertor\r\nFit LK1 and LK2 on PCB");
    op_.ExpectUnownedBox(answers ? "Pass" : "FAIL!!", "RS485 comms");
    ExpectWindowBox(answers ? "RS485 comms test PASS" : "RS485 comms test !! FAIL !!");
    ExpectWindowBox("Disconnect RS485 convertor link\r\nReconnect RS232 comms\r\nRemove LK1 and LK2 on PCB");
    dialog_.OnCommand(ctl::pcb::kCheckRs485Comms);
    op_.VerifyDone();
    EXPECT_EQ(dialog_.run.rs485CommsResult, answers ? kCheckPassed : kCheckFailed);
  }
}

TEST_F(PcbTestDialogTest, ExitWithEveryCheckPassedStampsTheFactoryRecord) {
  SetAll(kCheckPassed);
  ExpectWindowBox("Overall result PASS");
  dialog_.OnCommand(ctl::pcb::kExit);
  op_.VerifyDone();
  EXPECT_EQ(dialog_.run.overallResult, kCheckPassed);
  EXPECT_EQ(view_.endings, 1);
  EXPECT_EQ(view_.ending, PcbTestView::Ending::Ok);
  ReadUnitInfo(client_, unitState_);
  EXPECT_EQ(FormatCalRecord(unitState_, 0), "08/12/26  AB@\r\n");
}

TEST_F(PcbTestDialogTest, ExitWithAFailedCheckErasesTheFactoryRecord) {
  StampFactoryRecord();
  SetAll(kCheckPassed);
  dialog_.run.currentResult = kCheckFailed;
  ExpectWindowBox("Overall result !! FAIL !!");
  dialog_.OnCommand(ctl::pcb::kExit);
  op_.VerifyDone();
  EXPECT_EQ(dialog_.run.overallResult, kCheckFailed);
  EXPECT_EQ(view_.ending, PcbTestView::Ending::Ok);
  EXPECT_EQ(FactoryRecord(), kErased);
}

TEST_F(PcbTestDialogTest, AFactoryRecordTheUnitDidNotTakeFailsTheBoard) {
  unit_.RefuseWrites(reg::kCalRecords, reg::kCalRecords + 3, sim::FaultMode::Always);
  SetAll(kCheckPassed);
  ExpectWindowBox("The unit did not take the factory record\r\nOverall result !! FAIL !!");
  dialog_.OnCommand(ctl::pcb::kExit);
  op_.VerifyDone();
  EXPECT_EQ(dialog_.run.overallResult, kCheckFailed);
  EXPECT_FALSE(dialog_.run.factoryRecordWritten);
  EXPECT_EQ(view_.ending, PcbTestView::Ending::Ok);
  EXPECT_EQ(FormatCalRecord(unitState_, 0), "Not calibrated\r\n");
  EXPECT_EQ(FactoryRecord(), kErased);

  // A failed board whose stamp cannot be erased: the same box, and the old stamp stays.
  StampFactoryRecord();
  const std::vector<uint16_t> stamped = FactoryRecord();
  dialog_.OnInitDialog();
  SetAll(kCheckFailed);
  ExpectWindowBox("The unit did not take the factory record\r\nOverall result !! FAIL !!");
  dialog_.OnCommand(ctl::pcb::kExit);
  op_.VerifyDone();
  EXPECT_EQ(dialog_.run.overallResult, kCheckFailed);
  EXPECT_EQ(FactoryRecord(), stamped);
}

// Each step whose exchange finds the unit gone: the boxes before it, then the one that says so;
// the test ends without a verdict and nothing is stamped.
TEST_F(PcbTestDialogTest, AUnitThatStopsAnsweringStopsTheTestAtOnce) {
  unit_.InjectFault(sim::Fault::NoReply, sim::FaultMode::Always);
  const std::string lost = "The unit on COM1 stopped answering\r\nThe procedure has stopped";
  for (int id : {ctl::pcb::kSetSerialNumber, ctl::pcb::kCheckSupplyVoltages, ctl::pcb::kCheckInternalRs485, ctl::pcb::kExit}) {
    ResetUnitState(unitState_);
    client_.ForgetLostUnit();
    operatorId_ = "AB";
    unitState_.operatorMarker = 1;
    dialog_.OnInitDialog();
    view_.endings = 0;
    SetAll(kCheckPassed);
    if (id == ctl::pcb::kSetSerialNumber) op_.ExpectPrompt("Board serial number", "000000-000", "123456-7");
    if (id == ctl::pcb::kCheckSupplyVoltages) ExpectWindowBox("Connect 5310-xxx to the inclinometer connector PL7");
    ExpectWindowBox(lost);
    dialog_.OnCommand(id);
    op_.VerifyDone();
    EXPECT_TRUE(dialog_.run.unitLost) << id;
    EXPECT_EQ(view_.endings, 1) << id;
    EXPECT_EQ(view_.ending, PcbTestView::Ending::Cancel) << id;
    EXPECT_EQ(dialog_.run.overallResult, kCheckNotRun) << id;
  }
  // Whatever the silent unit did with the last write, the station does not claim a stamp.
  EXPECT_EQ(FormatCalRecord(unitState_, 0), "Not calibrated\r\n");
}

TEST_F(PcbTestDialogTest, ExitWithACheckNotRunAsksFirst) {
  StampFactoryRecord();
  const std::vector<uint16_t> stamped = FactoryRecord();
  SetAll(kCheckPassed);
  dialog_.run.rs485CommsResult = kCheckNotRun;
  const MessageBox question{"Not all checks complete!!\r\nDo you wish to exit?", kApplicationName, BoxButtons::YesNo,
                            BoxIcon::Warning, 0, BoxOwner::Window};

  // No: back to the dialog with nothing changed.
  op_.ExpectMessage(question, BoxAnswer::No);
  dialog_.OnCommand(ctl::pcb::kExit);
  op_.VerifyDone();
  EXPECT_EQ(view_.endings, 0);
  EXPECT_EQ(dialog_.run.overallResult, kCheckNotRun);
  EXPECT_EQ(FactoryRecord(), stamped);

  // Yes: the dialog closes, and the board fails.
  op_.ExpectMessage(question, BoxAnswer::Yes);
  ExpectWindowBox("Overall result !! FAIL !!");
  dialog_.OnCommand(ctl::pcb::kExit);
  op_.VerifyDone();
  EXPECT_EQ(view_.endings, 1);
  EXPECT_EQ(view_.ending, PcbTestView::Ending::Ok);
  EXPECT_EQ(dialog_.run.overallResult, kCheckFailed);
  EXPECT_EQ(FactoryRecord(), kErased);
}

TEST_F(PcbTestDialogTest, EscapeEndsWithoutAVerdict) {
  StampFactoryRecord();
  const std::vector<uint16_t> stamped = FactoryRecord();
  SetAll(kCheckPassed);
  dialog_.OnCancel();
  EXPECT_EQ(view_.endings, 1);
  EXPECT_EQ(view_.ending, PcbTestView::Ending::Cancel);
  EXPECT_EQ(dialog_.run.overallResult, kCheckNotRun);
  EXPECT_EQ(FactoryRecord(), stamped);
}

}  // namespace
}  // namespace endcap
