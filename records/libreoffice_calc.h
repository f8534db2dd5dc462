#pragma once
// The spreadsheet on Linux: LibreOffice Calc, driven through its UNO automation interface by a
// small Python bridge (endcap-calc-bridge, a helper of the programs) that runs as a child process
// and answers one request a line. Every call waits for the answer with a time-out; a bridge
// that does not answer in time is killed with the LibreOffice it started, so a hung
// spreadsheet never hangs the station.

#include <sys/types.h>

#include <string>
#include <vector>

#include "records/spreadsheet_automation.h"

namespace endcap {

struct LibreOfficeOptions {
  std::string python = "/usr/bin/python3";  // the distribution's, which has the uno module
  std::string bridge;                       // empty: the programs' helper endcap-calc-bridge
  std::string office = "soffice";
  std::string profile;  // a LibreOffice user profile folder; empty: the user's own
  bool headless = false;
  int startSeconds = 90;
  int openSeconds = 60;
  int macroSeconds = 600;  // the certificate macro's own work
  int exportSeconds = 120;  // a PDF of every sheet of the certificate
  int callSeconds = 30;
  int releaseSeconds = 30;
};

class LibreOfficeCalc : public SpreadsheetAutomation {
public:
  explicit LibreOfficeCalc(LibreOfficeOptions options = {}) : options_(std::move(options)) {}
  ~LibreOfficeCalc() override { Release(); }
  LibreOfficeCalc(const LibreOfficeCalc&) = delete;
  LibreOfficeCalc& operator=(const LibreOfficeCalc&) = delete;

  bool Start() override;
  bool OpenWorkbook(const std::string& path) override;
  bool RunAutoMacros() override;
  bool ExportPdf(const std::string& path) override;
  bool SetVisible(bool visible) override;
  bool SetUserControl(bool userControl) override;
  bool WorkbookSaved(bool& saved) override;
  bool CloseWorkbooks() override;
  bool Quit() override;
  void Release() override;
  std::string LastError() const override { return error_; }

private:
  bool Spawn();
  // Sends one request and waits up to timeoutSeconds for its answer; the value an answer
  // carries goes to value_.
  bool Request(const std::string& request, int timeoutSeconds);
  // Kills the bridge and everything it started, and removes the lock files that the killed
  // LibreOffice could not.
  void Kill();
  std::string BridgePath() const;

  LibreOfficeOptions options_;
  pid_t pid_ = -1;
  int socket_ = -1;
  std::string pending_;
  std::string value_;
  std::string error_;
  // LibreOffice's lock files of the workbooks opened (".~lock.NAME#" beside each) that were not
  // there before: they are this LibreOffice's own.
  std::vector<std::string> ownLocks_;
};

}  // namespace endcap
