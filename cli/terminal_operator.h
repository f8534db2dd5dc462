#pragma once
// The operator interface on a terminal: boxes, questions, prompts and the port chooser are
// written to one stream (stderr, so stdout carries only a command's results) and answered on
// another (stdin), so that a script can pipe the answers in. An OK box waits for a line (any
// line: Enter), as a click on OK. When the answers run out, every box and question takes its
// safe answer and says so, and no run ever hangs waiting for input.

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>

#include "operator/operator_interface.h"
#include "records/drive_map.h"
#include "serial/serial_device.h"

namespace endcap {

class TerminalOperator : public OperatorInterface {
public:
  // ports: what the chooser probes, COM 1 to 8.
  TerminalOperator(std::istream& in, std::ostream& out, PortProvider& ports);

  // The port given on the command line: ChoosePort returns it without asking. 0: ask.
  void SetFixedPort(uint8_t port) { fixedPort_ = port; }
  // Piped answers do not appear on a terminal by themselves; echoing them keeps the
  // transcript readable (each answer after its question).
  void SetEcho(bool echo) { echo_ = echo; }
  // The file given on the command line: ChooseOpenFile returns it without asking. Empty: ask.
  void SetFixedFile(const std::string& path) { fixedFile_ = path; }
  // Where the station's folders are on this machine (the file choice's start folder).
  void SetDriveMap(const DriveMap& drives) { drives_ = drives; }

  BoxAnswer ShowMessage(const MessageBox& box) override;
  std::string PromptText(const std::string& caption, const std::string& defaultText) override;
  uint8_t ChoosePort() override;
  // A file name typed on a line, relative to the start folder; it must name an existing file.
  // An empty line or the end of input picks none.
  std::string ChooseOpenFile(const std::string& folder, const std::vector<FileFilter>& filters) override;

private:
  class PortList;
  class EntryLine;

  // One answer line without its line end; false at end of input.
  bool ReadAnswer(std::string& line);
  void EndOfInput(const std::string& taken);

  std::istream& in_;
  std::ostream& out_;
  PortProvider& ports_;
  uint8_t fixedPort_ = 0;
  bool echo_ = false;
  std::string fixedFile_;
  DriveMap drives_;
};

}  // namespace endcap
