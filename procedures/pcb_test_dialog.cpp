#include "procedures/pcb_test_dialog.h"

#include "unit/conversions.h"

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
  serialResult = suppliesResult = currentResult = internalRs485Result = rs485CommsResult = kCheckNotRun;
  overallResult = kCheckNotRun;
  factoryRecordWritten = unitLost = false;
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

void PcbTestDialog::Box(const std::string& text) { link_.op().ShowMessage(WindowBox(text)); }

void PcbTestDialog::End(PcbTestView::Ending ending) {
  if (ended_) return;
  ended_ = true;
  if (view_) view_->EndDialog(ending);
}

void PcbTestDialog::OnCancel() { End(PcbTestView::Ending::Cancel); }

bool PcbTestDialog::StopIfUnitLost() {
  if (!link_.UnitLost()) return false;
  unitLost = true;
  Box(link_.UnitLostText());
  End(PcbTestView::Ending::Cancel);
  return true;
}

void PcbTestDialog::OnSetSerialNumber() {
  std::string text = link_.op().PromptText("Board serial number", link_.boardSerial);
  serialResult = kCheckFailed;
  if (!link_.ValidateSerialText(text, true)) return;
  // The board keeps its old serial when it does not take the new one, and so does its copy here.
  const std::string previous = link_.boardSerial;
  link_.boardSerial = text;
  if (!link_.WriteBoardSerial()) {
    link_.boardSerial = previous;
    StopIfUnitLost();
    return;
  }
  serialResult = kCheckPassed;
}

void PcbTestDialog::OnCheckSupplyVoltages() {
  suppliesResult = kCheckPassed;
  Box("Connect 5310-xxx to the inclinometer connector PL7");
  if (!link_.CheckPowerSupplies(true)) {
    suppliesResult = kCheckFailed;
    if (StopIfUnitLost()) return;
  }
  if (!link_.CheckExternalSupplies(true)) {
    suppliesResult = kCheckFailed;
    if (StopIfUnitLost()) return;
  }
  Box(suppliesResult == kCheckPassed ? "Overall voltage tests  PASS" : "Overall voltage tests !! FAIL !!");
}

double PcbTestDialog::PromptCurrent(const char* caption) { return LeadingDouble(link_.op().PromptText(caption, "")); }

void PcbTestDialog::OnCheckSupplyCurrent() {
  currentResult = kCheckPassed;
  Box("Disconnect 5310-xxx from the inclinometer connector");
  if (!link_.CheckSupplyCurrent(false, PromptCurrent("Enter unloaded current (mA)"))) currentResult = kCheckFailed;
  Box("Connect 5310-xxx from the inclinometer connector PL7");
  if (!link_.CheckSupplyCurrent(true, PromptCurrent("Enter loaded current (mA)"))) currentResult = kCheckFailed;
  Box(currentResult == kCheckPassed ? "Current tests  PASS" : "Current tests !! FAIL !!");
}

void PcbTestDialog::OnCheckInternalRs485() {
  internalRs485Result = link_.CheckInternalRs485(true) ? kCheckPassed : kCheckFailed;
  if (internalRs485Result == kCheckFailed && StopIfUnitLost()) return;
  Box(internalRs485Result == kCheckPassed ? "Internal RS485 test  PASS" : "Internal RS485 test !! FAIL !!");
}

void PcbTestDialog::OnCheckRs485Comms() {
  Box("Disconnect RS232 comms link\r\nReconnect using RS485 convertor\r\nFit LK1 and LK2 on PCB");
  rs485CommsResult = link_.CheckRs485Comms(true) ? kCheckPassed : kCheckFailed;
  Box(rs485CommsResult == kCheckPassed ? "RS485 comms test PASS" : "RS485 comms test !! FAIL !!");
  Box("Disconnect RS485 convertor link\r\nReconnect RS232 comms\r\nRemove LK1 and LK2 on PCB");
}

void PcbTestDialog::OnExit() {
  const CheckResult results[] = {serialResult, suppliesResult, currentResult, internalRs485Result, rs485CommsResult};
  bool complete = true;
  bool pass = true;
  for (CheckResult result : results) {
    if (result == kCheckNotRun) complete = false;
    if (result != kCheckPassed) pass = false;
  }
  if (!complete) {
    const MessageBox question{"Not all checks complete!!\r\nDo you wish to exit?", kApplicationName, BoxButtons::YesNo,
                              BoxIcon::Warning, 0, BoxOwner::Window};
    if (link_.op().ShowMessage(question) != BoxAnswer::Yes) return;
    End(PcbTestView::Ending::Ok);
  }
  // The verdict is shown once the unit has the record that says it.
  factoryRecordWritten = link_.WriteCalRecord(kFactoryRecord, pass);
  if (!factoryRecordWritten && StopIfUnitLost()) return;
  if (!factoryRecordWritten) Box("The unit did not take the factory record\r\nOverall result !! FAIL !!");
  else Box(pass ? "Overall result PASS" : "Overall result !! FAIL !!");
  overallResult = pass && factoryRecordWritten ? kCheckPassed : kCheckFailed;
  End(PcbTestView::Ending::Ok);
}

}  // namespace endcap
