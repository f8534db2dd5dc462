#include "tests/support/scripted_operator.h"

#include <gtest/gtest.h>

namespace endcap::testing {

namespace {

const char* KindName(int kind) {
  static const char* const names[] = {"message box", "text prompt", "port chooser", "file dialog"};
  return names[kind];
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else out += c;
  }
  return out;
}

const char* IconName(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::None: return "none";
    case BoxIcon::Warning: return "warning";
    case BoxIcon::Question: return "question";
  }
  return "?";
}

std::string DescribeFileDialog(const std::string& folder, const std::vector<FileFilter>& filters) {
  std::string text = "in \"" + folder + "\" filters";
  for (const FileFilter& filter : filters) text += " \"" + filter.description + "\"=" + filter.pattern;
  return text;
}

}  // namespace

std::string Describe(const MessageBox& box) {
  static const char* const buttons[] = {"OK", "YesNo", "AbortRetryIgnore"};
  return "\"" + Escaped(box.text) + "\" caption \"" + box.caption + "\" buttons " + buttons[static_cast<int>(box.buttons)] +
         " icon " + IconName(box.icon) + " default " + std::to_string(box.defaultButton) +
         " owner " + (box.owner == BoxOwner::Window ? "window" : "none");
}

ScriptedOperator::~ScriptedOperator() { VerifyDone(); }

ScriptedOperator& ScriptedOperator::ExpectMessage(const MessageBox& box, BoxAnswer answer) {
  Step step;
  step.kind = Kind::Message;
  step.box = box;
  step.boxAnswer = answer;
  script_.push_back(step);
  return *this;
}

ScriptedOperator& ScriptedOperator::ExpectWindowBox(const std::string& text) { return ExpectMessage(WindowBox(text)); }

ScriptedOperator& ScriptedOperator::ExpectUnownedBox(const std::string& text, const std::string& caption,
                                                     BoxButtons buttons, BoxAnswer answer) {
  return ExpectMessage(UnownedBox(text, caption, buttons), answer);
}

ScriptedOperator& ScriptedOperator::ExpectPrompt(const std::string& caption, const std::string& defaultText,
                                                 const std::string& answer) {
  Step step;
  step.kind = Kind::Prompt;
  step.caption = caption;
  step.defaultText = defaultText;
  step.answer = answer;
  script_.push_back(step);
  return *this;
}

ScriptedOperator& ScriptedOperator::ExpectPromptClosed(const std::string& caption, const std::string& defaultText) {
  ExpectPrompt(caption, defaultText, defaultText);
  script_.back().closed = true;
  return *this;
}

ScriptedOperator& ScriptedOperator::ExpectChoosePort(uint8_t answer) {
  Step step;
  step.kind = Kind::ChoosePort;
  step.port = answer;
  script_.push_back(step);
  return *this;
}

ScriptedOperator& ScriptedOperator::Do(std::function<void()> action) {
  if (script_.empty()) ADD_FAILURE() << "Do without an expectation to attach it to";
  else script_.back().action = std::move(action);
  return *this;
}

ScriptedOperator& ScriptedOperator::ExpectChooseFile(const std::string& folder, const std::vector<FileFilter>& filters,
                                                     const std::string& answer) {
  Step step;
  step.kind = Kind::ChooseFile;
  step.caption = DescribeFileDialog(folder, filters);
  step.answer = answer;
  script_.push_back(step);
  return *this;
}

ScriptedOperator::Step ScriptedOperator::Blank(Kind kind) {
  Step step;
  step.kind = kind;
  return step;
}

ScriptedOperator::Step ScriptedOperator::Next(Kind kind, const std::string& what) {
  if (script_.empty()) {
    ADD_FAILURE() << "unexpected " << KindName(static_cast<int>(kind)) << ": " << what;
    return Blank(kind);
  }
  Step step = script_.front();
  script_.pop_front();
  if (step.kind != kind) {
    ADD_FAILURE() << "expected a " << KindName(static_cast<int>(step.kind)) << " but got a "
                  << KindName(static_cast<int>(kind)) << ": " << what;
    return Blank(kind);
  }
  if (step.action) step.action();
  return step;
}

BoxAnswer ScriptedOperator::ShowMessage(const MessageBox& box) {
  const Step step = Next(Kind::Message, Describe(box));
  EXPECT_EQ(Describe(step.box), Describe(box));
  return step.boxAnswer;
}

std::string ScriptedOperator::PromptText(const std::string& caption, const std::string& defaultText) {
  const Step step = Next(Kind::Prompt, "\"" + caption + "\" default \"" + defaultText + "\"");
  EXPECT_EQ(step.caption, caption);
  EXPECT_EQ(step.defaultText, defaultText);
  return step.closed ? defaultText : step.answer;
}

uint8_t ScriptedOperator::ChoosePort() { return Next(Kind::ChoosePort, "").port; }

std::string ScriptedOperator::ChooseOpenFile(const std::string& folder, const std::vector<FileFilter>& filters) {
  const std::string what = DescribeFileDialog(folder, filters);
  const Step step = Next(Kind::ChooseFile, what);
  EXPECT_EQ(step.caption, what);
  return step.answer;
}

void ScriptedOperator::VerifyDone() {
  for (const Step& step : script_) {
    ADD_FAILURE() << "expected " << KindName(static_cast<int>(step.kind)) << " never came"
                  << (step.kind == Kind::Message ? ": " + Describe(step.box)
                                                 : step.kind == Kind::Prompt || step.kind == Kind::ChooseFile
                                                     ? ": " + step.caption
                                                     : "");
  }
  script_.clear();
}

}  // namespace endcap::testing
