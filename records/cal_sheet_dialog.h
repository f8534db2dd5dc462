#pragma once
// The calibration sheets: the comma-separated sheet of a unit's inclinometer results
// ("calibrate_inclin.csv") or strain-gauge results ("calibrate_pressure.csv") that goes with
// its certificate template, every value taken from the results store through
// LookupCertificateResult. After each sheet the certificate launch is offered.

#include <string>

#include "records/certificate_prompt_dialog.h"
#include "records/drive_map.h"
#include "records/spreadsheet_automation.h"
#include "unit/modbus_link.h"

namespace endcap {

// Where the sheets and the certificate templates live, "Q:\CALIBRAT\Drelvik5\Endcap\" on this
// machine, ending in the path separator so that a file name is simply appended.
std::string CertificateFolder(const DriveMap& drives);

struct PitchRoll {
  double pitchDeg = 0.0;
  double rollDeg = 0.0;
};

// A result text such as "Pitch 1.234 Roll 0.567": the pitch from its seventh character, the
// roll from five characters after the first "Roll" (0 without one). Shorter than 13
// characters: 0 and 0.
PitchRoll ParsePitchRoll(const std::string& text);

class CalSheetView {
public:
  virtual ~CalSheetView() = default;
  // The serial edit, 1190.
  virtual void SetSerialText(const std::string& text) = 0;
  virtual std::string SerialText() const = 0;
  // The wait cursor while a sheet is written.
  virtual void SetWaitCursor(bool shown) = 0;
  // Runs the certificate prompt modally over this dialog: attach a view, OnInitDialog, run
  // until it closes.
  virtual void RunCertificatePrompt(CertificatePromptDialog& prompt) = 0;
  // Closes the dialog (its only ending; the caller takes no result from it).
  virtual void EndDialog() = 0;
};

class CalSheetDialog {
public:
  // certificateFolder ends in the path separator.
  CalSheetDialog(ModbusLink& link, SpreadsheetAutomation& spreadsheet, std::string certificateFolder)
      : link_(link), spreadsheet_(spreadsheet), certificateFolder_(std::move(certificateFolder)) {}

  void Attach(CalSheetView& view) { view_ = &view; }
  // The edit shows the pre-filled serial.
  void OnInitDialog();
  // Runs the command of a button; false when the id has none.
  bool OnCommand(int id);

  // Checks and normalises the edit's serial ("123456-1" becomes "123456-001", "e1234-5"
  // "E01234-005"), makes it the unit serial and loads the limits. On a refusal the operator
  // is told why and the unit serial must be confirmed again at the next command.
  bool ValidateSheetSerial();
  // Writes one row and its line end to the file in the certificate folder, creating the file
  // afresh when create is set; a row that cannot be written is told to the operator and lost.
  bool AppendSheetRow(const std::string& row, bool create, const std::string& fileName);
  // "Inclinometer results" and "Strain gauge results".
  void WriteInclinometerSheet();
  void WritePressureSheet();
  void OnExit();

  std::string serialText;  // pre-filled: the serial of the last unit disconnected
  std::string editText;    // the serial edit's text

  // Outcome of the last sheet button: the serial was accepted and every row written.
  bool sheetComplete = false;

  const std::string& certificateFolder() const { return certificateFolder_; }

private:
  // The rows of one sheet through AppendSheetRow (the first creates the file), then the offer
  // of the certificate.
  void WriteSheet(void (CalSheetDialog::*rows)(const std::string& fileName), const char* fileName,
                  const char* templateFileName);
  void InclinometerRows(const std::string& fileName);
  void PressureRows(const std::string& fileName);
  void Message(const std::string& text);

  ModbusLink& link_;
  SpreadsheetAutomation& spreadsheet_;
  std::string certificateFolder_;
  CalSheetView* view_ = nullptr;
  bool rowsWritten_ = true;
};

}  // namespace endcap
