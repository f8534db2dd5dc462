// The module that endcap-unit-sim loads for --bench: the toolkit, the "Simulated bench" window
// and an event loop that also serves the simulator's standard input and its stop signals.

#include <QApplication>
#include <QSocketNotifier>
#include <clocale>
#include <memory>

#include "serial/display_check.h"
#include "sim/bench_ui.h"
#include "sim/qt/bench_window.h"

namespace endcap::sim {
namespace {

class QtBenchUi : public BenchUi {
public:
  explicit QtBenchUi(const char* program) : program_(program), argv_{program_.data(), nullptr} {}

  bool Open(std::string& error) override {
    if (const std::string missing = MissingDisplay(); !missing.empty()) {
      error = NoDisplayMessage(program_, missing);
      return false;
    }
    application_ = std::make_unique<QApplication>(argc_, argv_);
    // Qt takes the user's locale; the simulator's answers are written with a decimal point.
    std::setlocale(LC_NUMERIC, "C");
    return true;
  }

  int Run(SimulatedUnit& unit, LineControl& line, CommandInput& input, int stopFd,
          std::optional<ScreenPoint> topLeft) override {
    BenchWindow window(unit, &line);
    if (topLeft) window.move(topLeft->x, topLeft->y);
    window.show();

    QSocketNotifier stop(stopFd, QSocketNotifier::Read);
    QObject::connect(&stop, &QSocketNotifier::activated, application_.get(), &QCoreApplication::quit);
    input.SetObserver([&window](const std::string& command, const std::string& answer) {
      window.LogCommand(command, answer, "input");
    });
    std::unique_ptr<QSocketNotifier> commands;
    if (input.open()) {
      commands = std::make_unique<QSocketNotifier>(input.inputFd(), QSocketNotifier::Read);
      QObject::connect(commands.get(), &QSocketNotifier::activated, [&input, &commands] {
        if (!input.ReadAvailable()) commands->setEnabled(false);
      });
    }
    const int status = QApplication::exec();
    input.SetObserver(nullptr);
    return status;
  }

private:
  std::string program_;
  int argc_ = 1;
  char* argv_[2];
  std::unique_ptr<QApplication> application_;
};

}  // namespace
}  // namespace endcap::sim

extern "C" __attribute__((visibility("default"))) endcap::sim::BenchUi* endcap_make_bench_ui(const char* program) {
  return new endcap::sim::QtBenchUi(program);
}
