#pragma once
// A scripted operator for tests: a queue of expected interactions, each asserted exactly (text,
// caption, buttons, icon, default, owner; prompt caption and default) in order, each answered
// from the script. An unexpected or missing interaction fails the test.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "operator/operator_interface.h"

namespace endcap::testing {

class ScriptedOperator : public OperatorInterface {
public:
  ~ScriptedOperator() override;

  ScriptedOperator& ExpectMessage(const MessageBox& box, BoxAnswer answer = BoxAnswer::Ok);
  // Shorthands for the two kinds of box the system shows.
  ScriptedOperator& ExpectWindowBox(const std::string& text);
  ScriptedOperator& ExpectUnownedBox(const std::string& text, const std::string& caption = "",
                                     BoxButtons buttons = BoxButtons::Ok, BoxAnswer answer = BoxAnswer::Ok);
  ScriptedOperator& ExpectPrompt(const std::string& caption, const std::string& defaultText, const std::string& answer);
  // The operator closes the prompt without "Enter": the default comes back.
  ScriptedOperator& ExpectPromptClosed(const std::string& caption, const std::string& defaultText);
  ScriptedOperator& ExpectChoosePort(uint8_t answer);
  // What the operator does at the bench before answering the last expectation (moving the
  // fixture, setting a pressure): runs when that interaction comes.
  ScriptedOperator& Do(std::function<void()> action);
  // An open-file dialog in folder with these filters; answer is the file picked ("" for none).
  ScriptedOperator& ExpectChooseFile(const std::string& folder, const std::vector<FileFilter>& filters,
                                     const std::string& answer);

  BoxAnswer ShowMessage(const MessageBox& box) override;
  std::string PromptText(const std::string& caption, const std::string& defaultText) override;
  uint8_t ChoosePort() override;
  std::string ChooseOpenFile(const std::string& folder, const std::vector<FileFilter>& filters) override;

  // Fails the test for every expectation not yet consumed, then forgets them.
  void VerifyDone();
  size_t pending() const { return script_.size(); }

private:
  enum class Kind { Message, Prompt, ChoosePort, ChooseFile };
  struct Step {
    Kind kind = Kind::Message;
    MessageBox box;
    BoxAnswer boxAnswer = BoxAnswer::Ok;
    std::string caption, defaultText, answer;
    bool closed = false;
    uint8_t port = 0;
    std::function<void()> action;
  };
  static Step Blank(Kind kind);
  Step Next(Kind kind, const std::string& what);
  std::deque<Step> script_;
};

std::string Describe(const MessageBox& box);

}  // namespace endcap::testing
