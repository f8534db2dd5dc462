#include "cli/terminal_operator.h"

#include <sys/stat.h>

#include <cctype>
#include <vector>

#include "console/display_text.h"
#include "console/port_chooser_dialog.h"
#include "console/text_entry_dialog.h"
#include "serial/close_on_signal.h"

namespace endcap {

namespace {

// The chooser's edit field takes its number from two characters.
bool IsPortNumber(const std::string& text) {
  if (text.empty() || text.size() > 2) return false;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  const size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

void Heading(std::ostream& out, const std::string& caption) { out << "=== " << caption << " ===\n"; }

constexpr const char* kLineBreak = "\r\n";

std::string FirstLine(const std::string& text) { return text.substr(0, text.find(kLineBreak)); }

std::string OneLine(std::string text) {
  for (size_t at = text.find(kLineBreak); at != std::string::npos; at = text.find(kLineBreak, at + 1))
    text.replace(at, 2, " ");
  return Trimmed(text);
}

constexpr const char* kPressEnter = "Press Enter for OK ";

struct Choice {
  const char* shortName;
  const char* longName;
  BoxAnswer answer;
};

struct Question {
  const char* text;
  std::vector<Choice> choices;
  const char* endOfInputName;  // the name of the safe answer
};

const Question* QuestionFor(BoxButtons buttons) {
  static const Question kYesNo{
      "Yes or no? (y/n) ", {{"y", "yes", BoxAnswer::Yes}, {"n", "no", BoxAnswer::No}}, "No"};
  static const Question kAbortRetryIgnore{
      "Abort, retry or ignore? (a/r/i) ",
      {{"a", "abort", BoxAnswer::Abort}, {"r", "retry", BoxAnswer::Retry}, {"i", "ignore", BoxAnswer::Ignore}},
      "Abort"};
  switch (buttons) {
    case BoxButtons::Ok: return nullptr;
    case BoxButtons::YesNo: return &kYesNo;
    case BoxButtons::AbortRetryIgnore: return &kAbortRetryIgnore;
  }
  return nullptr;
}

}  // namespace

// The chooser's list as the terminal shows it: the items, each with its device when the paths
// are known, then the number of the selected one as the default answer.
class TerminalOperator::PortList : public PortChooserView {
public:
  PortList(std::ostream& out, const std::optional<PortMap>& paths) : out_(out), paths_(paths) {}
  void SetPortItems(const std::vector<std::string>& items) override {
    items_ = items;
    for (const std::string& item : items) {
      out_ << item;
      if (paths_) out_ << "  " << paths_->PathOf(PortFromText(item));
      out_ << '\n';
    }
  }
  void SelectPortItem(int index) override { text_ = items_.at(static_cast<size_t>(index)); }
  std::string PortText() const override { return text_; }
  void EndDialog(int) override {}

  void Type(const std::string& text) { text_ = text; }

private:
  std::ostream& out_;
  const std::optional<PortMap>& paths_;
  std::vector<std::string> items_;
  std::string text_;
};

// The entry's one line: the caption and the default it shows, and what was typed over it.
class TerminalOperator::EntryLine : public TextEntryView {
public:
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  void SetEditText(const std::string& text) override { text_ = text; }
  std::string EditText() const override { return text_; }
  void EndDialog(int) override {}

  const std::string& caption() const { return caption_; }

private:
  std::string caption_;
  std::string text_;
};

TerminalOperator::TerminalOperator(std::istream& in, std::ostream& out, PortProvider& ports)
    : in_(in), out_(out), ports_(ports) {}

bool TerminalOperator::ReadAnswer(std::string& line) {
  out_.flush();
  // After a stop signal the answers have ended, also those already typed ahead.
  if (NotedStopSignal() || !std::getline(in_, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (echo_) out_ << line << '\n';
  return true;
}

void TerminalOperator::EndOfInput(const std::string& taken) { out_ << "(end of input: " << taken << ")\n"; }

void TerminalOperator::StopAtBenchStep(const std::string& text) {
  EndOfInput("stopped");
  if (inputEndedAt_.empty()) inputEndedAt_ = FirstLine(text);
}

BoxAnswer TerminalOperator::ShowMessage(const MessageBox& box) {
  Heading(out_, box.caption.empty() ? kDefaultCaption : box.caption);
  const std::string text = ToDisplayText(box.text);
  out_ << text;
  if (text.empty() || text.back() != '\n') out_ << '\n';
  const Question* question = QuestionFor(box.buttons);
  if (!question) {
    // As a click on OK: a box may tell the operator to do something at the bench first.
    out_ << kPressEnter;
    std::string line;
    if (ReadAnswer(line)) return BoxAnswer::Ok;
    // A step at the bench that nobody can do is not done: the procedure must not measure.
    if (box.asks == BoxAsks::BenchStep) {
      StopAtBenchStep(box.text);
      return BoxAnswer::Cancel;
    }
    EndOfInput("OK");
    return BoxAnswer::Ok;
  }
  if (box.asks == BoxAsks::GoingOn && yesToGoingOn_) {
    out_ << question->text << "y\n";
    return BoxAnswer::Yes;
  }
  BoxAnswer answer = SafeAnswer(box.buttons);
  for (bool known = false; !known;) {
    out_ << question->text;
    std::string line;
    if (!ReadAnswer(line)) {
      EndOfInput(question->endOfInputName);
      break;
    }
    const std::string typed = Lower(Trimmed(line));
    for (const Choice& choice : question->choices) {
      if (typed != choice.shortName && typed != choice.longName) continue;
      answer = choice.answer;
      known = true;
    }
  }
  if (answer == BoxAnswer::No) declined_ = OneLine(box.text);
  return answer;
}

bool TerminalOperator::Prompt(const std::string& caption, const std::string& defaultText, std::string& text) {
  EntryLine line;
  TextEntryDialog dialog(line);
  dialog.value = defaultText;
  dialog.caption = caption;
  dialog.OnInitDialog();
  out_ << line.caption();
  if (!line.EditText().empty()) out_ << " [" << line.EditText() << "]";
  out_ << ": ";
  std::string typed;
  const auto given = given_.find(caption);
  if (given != given_.end()) {
    typed = given->second;
    out_ << typed << '\n';
  } else if (!ReadAnswer(typed)) {
    // As closing the window: the default comes back.
    text = dialog.value;
    return false;
  }
  if (!typed.empty()) line.SetEditText(typed);
  dialog.OnEnter();
  text = dialog.value;
  return true;
}

std::string TerminalOperator::PromptText(const std::string& caption, const std::string& defaultText) {
  std::string text;
  if (!Prompt(caption, defaultText, text)) EndOfInput("\"" + text + "\"");
  return text;
}

std::optional<std::string> TerminalOperator::PromptBenchStep(const std::string& caption, const std::string& defaultText) {
  std::string text;
  if (Prompt(caption, defaultText, text)) return text;
  StopAtBenchStep(caption);
  return std::nullopt;
}

uint8_t TerminalOperator::ChoosePort() {
  if (fixedPort_ != 0) return fixedPort_;
  Heading(out_, "Choose comm port");
  PortList list(out_, paths_);
  PortChooserDialog dialog(ports_, list);
  dialog.OnInitDialog();
  const uint8_t preselected = PortFromText(list.PortText());
  for (;;) {
    out_ << "Port number (0 for none) [" << static_cast<int>(preselected) << "]: ";
    std::string line;
    // At the end of input the question takes its default, as an empty line does.
    if (!ReadAnswer(line)) EndOfInput(preselected == 0 ? "no port" : list.PortText());
    const std::string answer = Trimmed(line);
    if (!answer.empty() && !IsPortNumber(answer)) continue;
    if (!answer.empty()) list.Type(answer);
    dialog.OnSelect();
    return dialog.port;
  }
}

std::string TerminalOperator::ChooseOpenFile(const std::string& folder, const std::vector<FileFilter>& filters) {
  if (!fixedFile_.empty()) return fixedFile_;
  const std::string start = drives_.Resolve(folder);
  Heading(out_, "Open");
  out_ << "Folder: " << start << '\n' << "Types:";
  for (size_t i = 0; i < filters.size(); ++i) out_ << (i ? ", " : " ") << filters[i].description;
  out_ << '\n';
  for (;;) {
    out_ << "File name (empty for none): ";
    std::string line;
    if (!ReadAnswer(line)) {
      EndOfInput("no file");
      return {};
    }
    const std::string name = Trimmed(line);
    if (name.empty()) return {};
    std::string path = name[0] == '/' ? name : start + (!start.empty() && start.back() == '/' ? "" : "/") + name;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return path;
    out_ << "No such file: " << path << '\n';
  }
}

}  // namespace endcap
