#include "procedures/pcb_test_dialog.h"

#include "operator/operator_prompts.h"
#include "unit/board_checks.h"
#include "unit/conversions.h"
#include "unit/sensor_operations.h"
#include "unit/unit_identity.h"

namespace endcap {

namespace {

constexpr int kFactoryRecord = 0;

struct Command {
  int id;
  void (PcbTestDialog::*handler)();
};
constexpr Command kCommands[] = {
    {ctl::pcb::kSetSerialNumber, &PcbTestDialog::OnSetSerialNumber},
    {ctl::pcb::kCheckSupplyVoltages, &PcbTestDialog::OnCheckSupplyVoltages},
    {ctl::pcb::kCheckSupplyCurrent, &PcbTestDialog::OnCheckSupplyCurrent},
    {ctl::pcb::kCheckInternalRs485, &PcbTestDialog::OnCheckInternalRs485},
    {ctl::pcb::kCheckRs485Comms, &PcbTestDialog::OnCheckRs485Comms},
    {ctl::pcb::kExit, &PcbTestDialog::OnExit},
};

}  // namespace

void PcbTestDialog::OnInitDialog() {
  run = {};
  ended_ = false;
}

bool PcbTestDialog::HasCommand(int id) {
  for (const Command& command : kCommands)
    if (command.id == id) return true;
  return false;
}

bool PcbTestDialog::OnCommand(int id) {
  for (const Command& command : kCommands) {
    if (command.id != id) continue;
    (this->*command.handler)();
    return true;
  }
  return false;
}

void PcbTestDialog::Box(const std::string& text) { context_.op.ShowMessage(WindowBox(text)); }

void PcbTestDialog::End(PcbTestView::Ending ending) {
  if (ended_) return;
  ended_ = true;
  if (view_) view_->EndDialog(ending);
}

void PcbTestDialog::OnCancel() { End(PcbTestView::Ending::Cancel); }

bool PcbTestDialog::StopIfUnitLost() {
  if (!context_.client.UnitLost()) return false;
  run.unitLost = true;
  Box(context_.client.UnitLostText());
  End(PcbTestView::Ending::Cancel);
  return true;
}

void PcbTestDialog::OnSetSerialNumber() {
  std::string text = context_.op.PromptText(prompt::kPcbBoardSerial, context_.unit.boardSerial);
  run.serialEntered = text;
  run.serialResult = kCheckFailed;
  if (!ValidateSerialText(context_.op, text, true)) return;
  // The board keeps its old serial when it does not take the new one, and so does its copy here.
  const std::string previous = context_.unit.boardSerial;
  context_.unit.boardSerial = text;
  if (!WriteBoardSerial(context_.client, context_.unit)) {
    context_.unit.boardSerial = previous;
    StopIfUnitLost();
    return;
  }
  run.serialResult = kCheckPassed;
}

void PcbTestDialog::OnCheckSupplyVoltages() {
  run.suppliesResult = kCheckPassed;
  Box("Connect 5310-xxx to the inclinometer connector PL7");
  run.boardSupplies = {};
  run.externalSupplies = {};
  if (!CheckPowerSupplies(context_.client, context_.op, context_.limits, true, &run.boardSupplies)) {
    run.suppliesResult = kCheckFailed;
    if (StopIfUnitLost()) return;
  }
  if (!CheckExternalSupplies(context_.client, context_.op, context_.limits, true, &run.externalSupplies)) {
    run.suppliesResult = kCheckFailed;
    if (StopIfUnitLost()) return;
  }
  Box(run.suppliesResult == kCheckPassed ? "Overall voltage tests  PASS" : "Overall voltage tests !! FAIL !!");
}

double PcbTestDialog::PromptCurrent(const char* caption) { return LeadingDouble(context_.op.PromptText(caption, "")); }

void PcbTestDialog::OnCheckSupplyCurrent() {
  run.currentResult = kCheckPassed;
  Box("Disconnect 5310-xxx from the inclinometer connector");
  run.unloadedCurrentMa = PromptCurrent(prompt::kUnloadedCurrent);
  if (!CheckSupplyCurrent(context_.limits, false, run.unloadedCurrentMa)) run.currentResult = kCheckFailed;
  Box("Connect 5310-xxx from the inclinometer connector PL7");
  run.loadedCurrentMa = PromptCurrent(prompt::kLoadedCurrent);
  if (!CheckSupplyCurrent(context_.limits, true, run.loadedCurrentMa)) run.currentResult = kCheckFailed;
  Box(run.currentResult == kCheckPassed ? "Current tests  PASS" : "Current tests !! FAIL !!");
}

void PcbTestDialog::OnCheckInternalRs485() {
  run.internalRs485Result =
      CheckInternalRs485(context_.client, context_.op, true, &run.loopReadBack) ? kCheckPassed : kCheckFailed;
  if (run.internalRs485Result == kCheckFailed && StopIfUnitLost()) return;
  Box(run.internalRs485Result == kCheckPassed ? "Internal RS485 test  PASS" : "Internal RS485 test !! FAIL !!");
}

void PcbTestDialog::OnCheckRs485Comms() {
  Box("Disconnect RS232 comms link\r\nReconnect using RS485 convertor\r\nFit LK1 and LK2 on PCB");
  run.rs485CommsResult = CheckRs485Comms(context_.client, context_.op, true) ? kCheckPassed : kCheckFailed;
  Box(run.rs485CommsResult == kCheckPassed ? "RS485 comms test PASS" : "RS485 comms test !! FAIL !!");
  Box("Disconnect RS485 convertor link\r\nReconnect RS232 comms\r\nRemove LK1 and LK2 on PCB");
}

void PcbTestDialog::OnExit() {
  const CheckResult results[] = {run.serialResult, run.suppliesResult, run.currentResult, run.internalRs485Result,
                                 run.rs485CommsResult};
  bool complete = true;
  bool pass = true;
  for (CheckResult result : results) {
    if (result == kCheckNotRun) complete = false;
    if (result != kCheckPassed) pass = false;
  }
  if (!complete) {
    const MessageBox question{"Not all checks complete!!\r\nDo you wish to exit?", kApplicationName, BoxButtons::YesNo,
                              BoxIcon::Warning, 0, BoxOwner::Window};
    if (context_.op.ShowMessage(question) != BoxAnswer::Yes) return;
    End(PcbTestView::Ending::Ok);
  }
  // The verdict is shown once the unit has the record that says it.
  run.factoryRecordWritten = WriteCalRecord(context_.client, context_.unit, context_.operatorId, kFactoryRecord, pass);
  if (!run.factoryRecordWritten && StopIfUnitLost()) return;
  if (!run.factoryRecordWritten) Box("The unit did not take the factory record\r\nOverall result !! FAIL !!");
  else Box(pass ? "Overall result PASS" : "Overall result !! FAIL !!");
  run.overallResult = pass && run.factoryRecordWritten ? kCheckPassed : kCheckFailed;
  End(PcbTestView::Ending::Ok);
}

}  // namespace endcap
