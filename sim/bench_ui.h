#pragma once
// The "Simulated bench" window as the simulator sees it. The window and its toolkit live in a
// module of their own (sim/qt), loaded only when --bench asks for it, so that the plain
// simulator needs neither a display nor the toolkit's libraries.

#include <memory>
#include <optional>
#include <string>

#include "sim/command_input.h"
#include "sim/line_control.h"
#include "sim/simulated_unit.h"

namespace endcap::sim {

struct ScreenPoint {
  int x = 0;
  int y = 0;
};

class BenchUi {
public:
  virtual ~BenchUi() = default;
  // Connects to the display. False with the reason (and how to run without one) in error.
  virtual bool Open(std::string& error) = 0;
  // Shows the window on the unit, at topLeft when given, and runs until the window is closed or
  // stopFd becomes readable. Commands arriving on input are run and shown in the window's log.
  // Returns the program's exit status.
  virtual int Run(SimulatedUnit& unit, LineControl& line, CommandInput& input, int stopFd,
                  std::optional<ScreenPoint> topLeft) = 0;
};

// The module's one entry point, looked up by this name.
constexpr const char* kBenchUiFactory = "endcap_make_bench_ui";
using BenchUiFactory = BenchUi* (*)(const char* program);

// Loads the module from among the programs' helpers. Null with the reason in error when it
// cannot be loaded (not built, or the toolkit's libraries are missing).
std::unique_ptr<BenchUi> LoadBenchUi(const char* program, std::string& error);

}  // namespace endcap::sim
