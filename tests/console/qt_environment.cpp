// The QApplication of the window tests, built before the first test and gone after the last.

#include <gtest/gtest.h>

#include <QApplication>
#include <clocale>
#include <memory>

namespace {

class QtEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = std::make_unique<QApplication>(argc_, argv_);
    // Qt takes the user's locale; the system's texts are formatted with a decimal point.
    std::setlocale(LC_NUMERIC, "C");
  }
  void TearDown() override { app_.reset(); }

private:
  int argc_ = 1;
  char name_[32] = "endcap_console_windows_test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
