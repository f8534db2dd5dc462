#pragma once
// Everything that talks to the operator goes through this one interface, so that every
// procedure runs the same under the Qt windows, a terminal, and a scripted operator in tests.
// Texts are passed exactly as the system words them, with their "\r\n"; only the display
// layers turn those into line breaks.

#include <cstdint>
#include <string>
#include <vector>

namespace endcap {

enum class BoxButtons { Ok, YesNo, AbortRetryIgnore };
enum class BoxIcon { None, Warning, Question };
enum class BoxOwner { None, Window };  // Window: owned by the station's window (caption = app name)
enum class BoxAnswer { Ok, Cancel, Yes, No, Abort, Retry, Ignore };
// What a box asks beyond its buttons, for an operator that answers on a person's behalf.
enum class BoxAsks {
  Nothing,
  // An OK box that asks for something to be done at the bench (move the fixture, set a
  // pressure) before the procedure measures. An operator that cannot have it done answers
  // Cancel, and the procedure stops there: measuring without it would record a wrong position.
  BenchStep,
  // A Yes/No warning before the command goes on (it will erase a record, it takes a setting
  // as the one fitted): what a script's standing "yes" answers.
  GoingOn,
};

// One entry of a file dialog's type list: what the operator reads, and the names it lets through.
struct FileFilter {
  std::string description;  // "BootCode (*.hex)"
  std::string pattern;      // "*.hex"
};

struct MessageBox {
  std::string text;
  std::string caption;  // empty: the system's default caption
  BoxButtons buttons = BoxButtons::Ok;
  BoxIcon icon = BoxIcon::Warning;
  int defaultButton = 0;  // 0-based index among the buttons
  BoxOwner owner = BoxOwner::None;
  BoxAsks asks = BoxAsks::Nothing;
};

// The application's name: the caption of every box owned by a station window.
inline constexpr const char* kApplicationName = "Remote inclinometer calibrate";
// What the system shows for a box without a caption of its own.
inline constexpr const char* kDefaultCaption = "Error";

class OperatorInterface {
public:
  virtual ~OperatorInterface() = default;
  virtual BoxAnswer ShowMessage(const MessageBox& box) = 0;
  // One-line entry under a caption with a default; the default comes back whenever the
  // operator did not press "Enter".
  virtual std::string PromptText(const std::string& caption, const std::string& defaultText) = 0;
  // The COM port the operator picked among those that open; 0 = none.
  virtual uint8_t ChoosePort() = 0;
  // An existing file picked in an open-file dialog that starts in folder (named as the station
  // names its folders, "C:\..."; each operator maps it to this machine) with the first filter
  // selected. Empty when the operator picked none. An operator that has no way to pick a file
  // picks none.
  virtual std::string ChooseOpenFile(const std::string& /*folder*/, const std::vector<FileFilter>& /*filters*/) {
    return {};
  }
};

// The answer that lets nothing more happen to the unit: what a box takes when the operator can
// no longer answer it (the end of the answers, a stop signal).
inline BoxAnswer SafeAnswer(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::Ok: return BoxAnswer::Ok;
    case BoxButtons::YesNo: return BoxAnswer::No;
    case BoxButtons::AbortRetryIgnore: return BoxAnswer::Abort;
  }
  return BoxAnswer::Ok;
}

// The box a station window shows: OK, exclamation icon, owned, the application's name.
inline MessageBox WindowBox(const std::string& text) {
  return {text, kApplicationName, BoxButtons::Ok, BoxIcon::Warning, 0, BoxOwner::Window};
}

// A box owned by one of the procedure dialogs: OK, no icon unless given, the application's name
// unless another caption is given.
inline MessageBox DialogBox(const std::string& text, const std::string& caption = kApplicationName,
                            BoxButtons buttons = BoxButtons::Ok, BoxIcon icon = BoxIcon::None, int defaultButton = 0) {
  return {text, caption, buttons, icon, defaultButton, BoxOwner::Window};
}

// A procedure dialog's box that asks for a step at the bench before the next measurement.
inline MessageBox BenchStepBox(const std::string& text, const std::string& caption = kApplicationName) {
  MessageBox box = DialogBox(text, caption);
  box.asks = BoxAsks::BenchStep;
  return box;
}

// A box without owner window, as the unit operations show them.
inline MessageBox UnownedBox(const std::string& text, const std::string& caption = "",
                             BoxButtons buttons = BoxButtons::Ok) {
  return {text, caption, buttons, BoxIcon::Warning, 0, BoxOwner::None};
}

}  // namespace endcap
