#pragma once
// The application: owns the unit's client and the station's copy of the unit for the whole
// run, the station's settings, and the station's place on disk. The main window (MainDialog)
// is built on top of it and runs until the program ends.

#include <string>

#include "firmware/firmware_link.h"
#include "operator/operator_interface.h"
#include "records/drive_map.h"
#include "records/libreoffice_calc.h"
#include "records/record_settings.h"
#include "serial/serial_port.h"
#include "unit/default_limits.h"
#include "unit/unit_client.h"
#include "unit/unit_state.h"

namespace endcap {

// The station's own settings, as opposed to what it knows of the unit.
struct StationSettings {
  RecordSettings records;  // the record folder, the results store, the operator ID
  DefaultLimits limits;
  std::string firmwareFolder = kFirmwareFolder;
  int32_t chosenPort = 0;
  // The serial of the last unit disconnected, offered by the calibration sheet.
  std::string lastUnitSerial;
};

class TesterApp {
public:
  // resultsStorePath: the results store; empty: the one in the status folder.
  TesterApp(SerialPort& port, OperatorInterface& op, const DriveMap& drives, const std::string& resultsStorePath = "");
  TesterApp(const TesterApp&) = delete;
  TesterApp& operator=(const TesterApp&) = delete;

  // "Remote inclinometer calibrate V1.000.007 Offshore Version".
  static std::string WindowTitle();

  // Creates "C:\Quorvanta", then "C:\Quorvanta\D5Status", where the drive map puts them, and
  // points the results record there. Failures are ignored here: the record file reports its
  // own when a line cannot be written.
  void CreateStatusFolders();

  const DriveMap& drives() const { return drives_; }
  OperatorInterface& op() { return op_; }
  // The spreadsheet that makes the certificates: LibreOffice Calc unless another is set.
  SpreadsheetAutomation& spreadsheet() { return spreadsheet_ ? *spreadsheet_ : calc_; }
  void SetSpreadsheet(SpreadsheetAutomation* spreadsheet) { spreadsheet_ = spreadsheet; }

  UnitClient client;
  UnitState unit;
  StationSettings settings;

private:
  OperatorInterface& op_;
  DriveMap drives_;
  LibreOfficeCalc calc_;
  SpreadsheetAutomation* spreadsheet_ = nullptr;
};

}  // namespace endcap
