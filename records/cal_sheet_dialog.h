#pragma once
// The calibration sheets: the comma-separated sheet of a unit's inclinometer results
// ("calibrate_inclin.csv") or strain-gauge results ("calibrate_pressure.csv") that goes with
// its certificate template, every value taken from the results store through
// LookupCertificateResult. A sheet replaces the one before only when it is complete and made
// from the unit's own results; only then is the certificate launch offered.

#include <map>
#include <string>

#include "operator/operator_interface.h"
#include "records/certificate_prompt_dialog.h"
#include "records/drive_map.h"
#include "records/record_settings.h"
#include "records/spreadsheet_automation.h"
#include "unit/certificate_result.h"
#include "unit/default_limits.h"
#include "unit/unit_state.h"

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

// A sheet's tolerance cell for an angle, with its own trailing comma.
std::string ToleranceCell(const DefaultLimits& limits, double angleDeg);

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
  // The sheet's serial becomes the unit serial of unit, and its limits are loaded into limits.
  // certificateFolder ends in the path separator.
  CalSheetDialog(OperatorInterface& op, UnitState& unit, const RecordSettings& settings, DefaultLimits& limits,
                 SpreadsheetAutomation& spreadsheet, std::string certificateFolder)
      : op_(op),
        unit_(unit),
        settings_(settings),
        limits_(limits),
        spreadsheet_(spreadsheet),
        certificateFolder_(std::move(certificateFolder)) {}

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

  OperatorInterface& op_;
  UnitState& unit_;
  const RecordSettings& settings_;
  DefaultLimits& limits_;
  SpreadsheetAutomation& spreadsheet_;
  // The unit's results, read once for each sheet.
  std::map<std::string, CertificateResult> results_;
  std::string certificateFolder_;
  CalSheetView* view_ = nullptr;
};

}  // namespace endcap
