// endcap-unit-sim: the simulated sensor board on a pseudo-terminal, for the station and for any
// Modbus master. The first line on standard output is the slave device path alone; after it,
// each control command read from standard input is answered with one line. The end of
// standard input does not stop the simulator; SIGINT, SIGTERM or SIGHUP does, removing the link.
// With --bench it also shows the "Simulated bench" window, and closing that window stops it too.

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <functional>
#include <cerrno>
#include <memory>
#include <optional>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "options/command_line.h"
#include "serial/clock.h"
#include "sim/bench_ui.h"
#include "sim/command_input.h"
#include "sim/control_commands.h"
#include "sim/pty_unit_server.h"
#include "sim/simulated_unit.h"
#include "sim/state_file.h"

namespace {

using namespace endcap::sim;

struct Options {
  UnitConfig config;
  std::string link;
  std::string state;
  bool bench = false;
  std::optional<ScreenPoint> benchAt;
};

// A value checked and stored by check; a refusal is a usage error naming the option and the
// form its value takes.
CLI::Option* AddChecked(CLI::App& app, const std::string& name, const std::string& typeName,
                        const std::string& description, const std::string& form,
                        std::function<bool(const std::string&)> check) {
  return app
      .add_option_function<std::string>(
          name,
          [name, form, check](const std::string& value) {
            if (!check(value)) throw CLI::ValidationError(name, "bad value '" + value + "': " + form);
          },
          description)
      ->type_name(typeName);
}

constexpr const char* kSerialForm =
    "a serial is six digits (the first may be E), a dash and three digits starting with 0, such as 123456-007";

endcap::ParseOutcome ParseOptions(const std::vector<std::string>& args, Options& options) {
  CLI::App app(
      "Simulates the end-cap sensor board, Modbus RTU slave 250 at 9600 baud, on a pseudo-terminal.\n"
      "Prints the slave device path alone on the first line, then answers one line for each command\n"
      "read from standard input. Runs until SIGINT, SIGTERM or SIGHUP.",
      "endcap-unit-sim");
  app.get_formatter()->column_width(26);
  UnitConfig& config = options.config;
  app.add_option("--link", options.link, "keep a symbolic link PATH pointing at the slave device")->type_name("PATH");
  app.add_option("--state", options.state, "keep the board's memory in FILE: loaded at start, saved after every write")
      ->type_name("FILE");
  AddChecked(app, "--measure-delay", "MS",
             "time from a measurement start to ready (default " + std::to_string(kDefaultMeasureDelayMs) + ")",
             "a whole number of milliseconds", [&config](const std::string& value) {
               unsigned long number = 0;
               if (!ParseUnsigned(value, 0xFFFFFFFFul, number)) return false;
               config.measureDelayMs = static_cast<uint32_t>(number);
               return true;
             });
  AddChecked(app, "--seed", "N", "seed of the inclinometer noise (default 1)", "a whole number from 0 to 4294967295", [&config](const std::string& value) {
    unsigned long number = 0;
    if (!ParseUnsigned(value, 0xFFFFFFFFul, number)) return false;
    config.seed = static_cast<uint32_t>(number);
    return true;
  });
  AddChecked(app, "--noise", "COUNTS", "standard deviation of one inclinometer sample (default 0)",
             "a number of counts, 0 or more", [&config](const std::string& value) {
               return ParseDouble(value, config.noiseCounts) && config.noiseCounts >= 0.0;
             });
  AddChecked(app, "--unit-serial", "SERIAL", "unit serial, such as 123456-007 (default erased)", kSerialForm,
             [&config](const std::string& value) {
               return EncodeSerial(value, config.unitSerial[0], config.unitSerial[1]);
             });
  AddChecked(app, "--board-serial", "SERIAL", "board serial (default erased)", kSerialForm,
             [&config](const std::string& value) {
    return EncodeSerial(value, config.boardSerial[0], config.boardSerial[1]);
  });
  AddChecked(app, "--fitted", "MASK", "sensors fitted: 1 inclinometer, 2 strain gauge, 3 both (default 3)",
             "a number from 0 to 3", [&config](const std::string& value) {
               unsigned long number = 0;
               if (!ParseUnsigned(value, 3, number)) return false;
               config.fittedSensors = static_cast<uint16_t>(number);
               return true;
             });
  app.add_flag("--bench", options.bench,
               "also open the \"Simulated bench\" window (needs a display); closing it stops the simulator");
  AddChecked(app, "--bench-at", "X,Y", "with --bench: put the window's top left corner at X,Y on the screen",
             "two whole numbers X,Y such as 0,40", [&options](const std::string& value) {
               ScreenPoint p;
               int used = 0;
               if (std::sscanf(value.c_str(), "%d,%d%n", &p.x, &p.y, &used) != 2 || value[static_cast<size_t>(used)] != '\0')
                 return false;
               options.benchAt = p;
               return true;
             });
  app.footer(std::string("commands:\n") + CommandHelp());
  return endcap::ParseArguments(app, args);
}

void Answer(const std::string& line) {
  std::fputs(line.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

// Serves standard input until a stop signal.
void RunCommandLoop(int signalFd, CommandInput& input) {
  for (;;) {
    pollfd fds[2] = {{signalFd, POLLIN, 0}, {input.inputFd(), POLLIN, 0}};
    if (::poll(fds, input.open() ? 2 : 1, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[0].revents & POLLIN) return;
    if (input.open() && fds[1].revents != 0) input.ReadAvailable();
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  const endcap::ParseOutcome parse = ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options);
  if (const auto status = endcap::FinishWithoutRunning(parse, "endcap-unit-sim")) return *status;

  // Block the stop signals in every thread, so that they arrive only through the signalfd.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  const int signalFd = signalfd(-1, &stopSignals, SFD_CLOEXEC);
  if (signalFd < 0) {
    std::fprintf(stderr, "endcap-unit-sim: signalfd: %s\n", std::strerror(errno));
    return 2;
  }

  // The window is set up before the unit goes on the line, so that a simulator that cannot
  // show it fails before its ready line; and after the stop signals are blocked, so that the
  // toolkit's threads do not take them either.
  std::unique_ptr<BenchUi> bench;
  if (options.bench) {
    std::string error;
    bench = LoadBenchUi("endcap-unit-sim", error);
    if (!bench || !bench->Open(error)) {
      std::fprintf(stderr, "%s%s", bench ? "" : "endcap-unit-sim: ", error.c_str());
      if (!error.empty() && error.back() != '\n') std::fputc('\n', stderr);
      return 1;
    }
  }

  endcap::SystemClock clock;
  SimulatedUnit unit(clock, options.config);
  if (!options.state.empty()) {
    MemoryImage image;
    std::string error;
    if (!ReadStateFile(options.state, image, error) || !unit.LoadMemory(image, error) ||
        !CheckStateFileWritable(options.state, error)) {
      std::fprintf(stderr, "endcap-unit-sim: %s\n", error.c_str());
      return 2;
    }
    unit.SetMemoryObserver([path = options.state](const MemoryImage& memory) {
      std::string error;
      if (!WriteStateFile(path, memory, error)) std::fprintf(stderr, "endcap-unit-sim: %s\n", error.c_str());
    });
  }

  PtyUnitServer server(unit, options.link);
  const std::string path = server.Start();
  if (path.empty()) {
    std::fprintf(stderr, "endcap-unit-sim: %s\n", server.lastError().c_str());
    return 2;
  }
  Answer(path);

  CommandInput input(unit, &server, STDIN_FILENO, STDOUT_FILENO);
  int status = 0;
  if (bench)
    status = bench->Run(unit, server, input, signalFd, options.benchAt);
  else
    RunCommandLoop(signalFd, input);
  bench.reset();
  server.Stop();
  ::close(signalFd);
  return status;
}
