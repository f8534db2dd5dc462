#pragma once
// The operator interface on a terminal: boxes, questions, prompts and the port chooser are
// written to one stream (stderr, so stdout carries only a command's results) and answered on
// another (stdin), so that a script can pipe the answers in. An OK box waits for a line (any
// line: Enter), as a click on OK. When the answers run out, every box and question takes its
// safe answer and says so, and no run ever hangs waiting for input; a box that asks for a step
// at the bench is not taken as done, it stops the procedure. Answers given on the command line
// are shown after their prompts as if typed, so a transcript reads the same either way.

#include <cstdint>
#include <istream>
#include <map>
#include <optional>
#include <ostream>
#include <string>

#include "operator/operator_interface.h"
#include "records/drive_map.h"
#include "serial/port_map.h"
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
  // The chooser names each port's device beside it.
  void SetPortPaths(const PortMap& paths) { paths_ = paths; }
  // Answers given beforehand, by prompt caption: such a prompt is answered every time it comes.
  void SetGivenAnswers(const std::map<std::string, std::string>& answers) { given_ = answers; }
  // A warning before going on (BoxAsks::GoingOn) is answered Yes without asking.
  void SetYesToGoingOn(bool yes) { yesToGoingOn_ = yes; }

  // A prompt for a step at the bench, such as the pressure to set: the answer, or nothing when
  // the answers have run out, and then the procedure stops there.
  std::optional<std::string> PromptBenchStep(const std::string& caption, const std::string& defaultText);
  // The first line of the bench step at which the answers ran out; empty while none.
  const std::string& inputEndedAt() const { return inputEndedAt_; }
  // The last question answered No, on one line; empty while none.
  const std::string& declined() const { return declined_; }

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
  // Shows the prompt and takes the given or typed answer; false at the end of input, with the
  // default in text.
  bool Prompt(const std::string& caption, const std::string& defaultText, std::string& text);
  void StopAtBenchStep(const std::string& text);

  std::istream& in_;
  std::ostream& out_;
  PortProvider& ports_;
  uint8_t fixedPort_ = 0;
  bool echo_ = false;
  std::string fixedFile_;
  DriveMap drives_;
  std::optional<PortMap> paths_;
  std::map<std::string, std::string> given_;
  bool yesToGoingOn_ = false;
  std::string inputEndedAt_;
  std::string declined_;
};

}  // namespace endcap
