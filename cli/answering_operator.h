#pragma once
// An operator that answers the next text prompt itself when the command line already gave the
// answer, and keeps the last answer either way, so that a command can check that the unit took
// it. Everything else goes to the operator it wraps.

#include <optional>
#include <string>

#include "operator/operator_interface.h"

namespace endcap {

class AnsweringOperator : public OperatorInterface {
public:
  explicit AnsweringOperator(OperatorInterface& inner) : inner_(inner) {}
  void AnswerNextPrompt(const std::string& text) { preset_ = text; }
  const std::string& lastAnswer() const { return lastAnswer_; }

  BoxAnswer ShowMessage(const MessageBox& box) override { return inner_.ShowMessage(box); }
  std::string PromptText(const std::string& caption, const std::string& defaultText) override {
    if (preset_) {
      lastAnswer_ = *preset_;
      preset_.reset();
    } else {
      lastAnswer_ = inner_.PromptText(caption, defaultText);
    }
    return lastAnswer_;
  }
  uint8_t ChoosePort() override { return inner_.ChoosePort(); }
  std::string ChooseOpenFile(const std::string& folder, const std::vector<FileFilter>& filters) override {
    return inner_.ChooseOpenFile(folder, filters);
  }

private:
  OperatorInterface& inner_;
  std::optional<std::string> preset_;
  std::string lastAnswer_;
};

}  // namespace endcap
