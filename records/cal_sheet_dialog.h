#pragma once
// The calibration sheets: the comma-separated sheet of a unit's inclinometer results
// ("calibrate_inclin.csv") or strain-gauge results ("calibrate_pressure.csv") that goes with
// its certificate template, every value taken from the results store through
// LookupCertificateResult. A sheet replaces the one before only when it is complete and made
// from the unit's own results; only then is the certificate launch offered.

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

// How the last sheet button ended.
enum class SheetOutcome {
  SerialRefused,
  NotWritten,  // no results of the unit, a store that cannot be read, or a file not written
  Written,
};

struct SheetKind;

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
  // "Inclinometer results" and "Strain gauge results".
  void WriteInclinometerSheet();
  void WritePressureSheet();
  void OnExit();

  // The whole text of each sheet, from the results read for the unit serial.
  std::string InclinometerRows() const;
  std::string PressureRows() const;

  std::string serialText;  // pre-filled: the serial of the last unit disconnected
  std::string editText;    // the serial edit's text

  SheetOutcome sheetOutcome = SheetOutcome::NotWritten;

  const std::string& certificateFolder() const { return certificateFolder_; }

private:
  // The unit's results read once, the sheet's rows, the file replaced, then the offer of the
  // certificate.
  void WriteSheet(const SheetKind& kind);
  SheetOutcome MakeSheet(const SheetKind& kind);
  void Message(const std::string& text);

  ModbusLink& link_;
  SpreadsheetAutomation& spreadsheet_;
  std::string certificateFolder_;
  CalSheetView* view_ = nullptr;
};

}  // namespace endcap
