#pragma once
// The application: owns the one ModbusLink for the whole run and the station's place on disk.
// The main window (MainDialog) is built on top of it and runs until the program ends.

#include <string>

#include "operator/operator_interface.h"
#include "records/drive_map.h"
#include "records/libreoffice_calc.h"
#include "serial/serial_port.h"
#include "unit/modbus_link.h"

namespace endcap {

class TesterApp {
public:
  // The ModbusLink is built here and starts with a reset unit state.
  TesterApp(SerialPort& port, OperatorInterface& op, const DriveMap& drives);
  TesterApp(const TesterApp&) = delete;
  TesterApp& operator=(const TesterApp&) = delete;

  // "Remote inclinometer calibrate V1.000.007 Offshore Version".
  static std::string WindowTitle();

  // Creates "C:\Quorvanta", then "C:\Quorvanta\D5Status", where the drive map puts them, and
  // points the results record there. Failures are ignored here: the record file reports its
  // own when a line cannot be written.
  void CreateStatusFolders();

  const DriveMap& drives() const { return drives_; }
  // The spreadsheet that makes the certificates: LibreOffice Calc unless another is set.
  SpreadsheetAutomation& spreadsheet() { return spreadsheet_ ? *spreadsheet_ : calc_; }
  void SetSpreadsheet(SpreadsheetAutomation* spreadsheet) { spreadsheet_ = spreadsheet; }

  ModbusLink link;

private:
  DriveMap drives_;
  LibreOfficeCalc calc_;
  SpreadsheetAutomation* spreadsheet_ = nullptr;
};

}  // namespace endcap
