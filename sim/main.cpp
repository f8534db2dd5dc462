// endcap-unit-sim: the simulated sensor board on a pseudo-terminal, for the station and for any
// Modbus master. The first line on standard output is the slave device path alone; after it,
// each control command read from standard input is answered with one line. The end of
// standard input does not stop the simulator; SIGINT, SIGTERM or SIGHUP does, removing the link.
// With --bench it also shows the "Simulated bench" window, and closing that window stops it too.

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <memory>
#include <optional>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "serial/clock.h"
#include "sim/bench_ui.h"
#include "sim/command_input.h"
#include "sim/control_commands.h"
#include "sim/pty_unit_server.h"
#include "sim/simulated_unit.h"
#include "sim/state_file.h"

namespace {

using namespace endcap::sim;

void PrintHelp() {
  std::printf(
      "usage: endcap-unit-sim [OPTIONS]\n"
      "\n"
      "Simulates the end-cap sensor board, Modbus RTU slave 250 at 9600 baud, on a pseudo-terminal.\n"
      "Prints the slave device path alone on the first line, then answers one line for each command\n"
      "read from standard input. Runs until SIGINT, SIGTERM or SIGHUP.\n"
      "\n"
      "options:\n"
      "  --link PATH            keep a symbolic link PATH pointing at the slave device\n"
      "  --state FILE           keep the board's memory in FILE: loaded at start, saved after every write\n"
      "  --measure-delay MS     time from a measurement start to ready (default %u)\n"
      "  --seed N               seed of the inclinometer noise (default 1)\n"
      "  --noise COUNTS         standard deviation of one inclinometer sample (default 0)\n"
      "  --unit-serial SERIAL   unit serial, such as 123456-007 (default erased)\n"
      "  --board-serial SERIAL  board serial (default erased)\n"
      "  --fitted MASK          sensors fitted: 1 inclinometer, 2 strain gauge, 3 both (default 3)\n"
      "  --bench                also open the \"Simulated bench\" window (needs a display); closing it\n"
      "                         stops the simulator\n"
      "  --bench-at X,Y         with --bench: put the window's top left corner at X,Y on the screen\n"
      "  --help                 this text\n"
      "\n"
      "commands:\n%s",
      kDefaultMeasureDelayMs, CommandHelp());
}

struct Options {
  UnitConfig config;
  std::string link;
  std::string state;
  bool bench = false;
  std::optional<ScreenPoint> benchAt;
};

bool ParsePoint(const char* text, std::optional<ScreenPoint>& point) {
  ScreenPoint p;
  int used = 0;
  if (std::sscanf(text, "%d,%d%n", &p.x, &p.y, &used) != 2 || text[used] != '\0') return false;
  point = p;
  return true;
}

// False after printing why; exits at once for --help.
bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--help") {
      PrintHelp();
      std::exit(0);
    }
    if (name == "--bench") {
      options.bench = true;
      continue;
    }
    static const char* const kValued[] = {"--link",        "--state",        "--measure-delay", "--seed", "--noise",
                                          "--unit-serial", "--board-serial", "--fitted",        "--bench-at"};
    if (std::find(std::begin(kValued), std::end(kValued), name) == std::end(kValued)) {
      std::fprintf(stderr, "endcap-unit-sim: unknown option %s (see --help)\n", name.c_str());
      return false;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "endcap-unit-sim: %s needs a value (see --help)\n", name.c_str());
      return false;
    }
    const char* value = argv[++i];
    unsigned long number = 0;
    bool ok = true;
    if (name == "--link") {
      options.link = value;
    } else if (name == "--state") {
      options.state = value;
    } else if (name == "--measure-delay") {
      ok = ParseUnsigned(value, 0xFFFFFFFFul, number);
      options.config.measureDelayMs = static_cast<uint32_t>(number);
    } else if (name == "--seed") {
      ok = ParseUnsigned(value, 0xFFFFFFFFul, number);
      options.config.seed = static_cast<uint32_t>(number);
    } else if (name == "--noise") {
      ok = ParseDouble(value, options.config.noiseCounts) && options.config.noiseCounts >= 0.0;
    } else if (name == "--unit-serial") {
      ok = EncodeSerial(value, options.config.unitSerial[0], options.config.unitSerial[1]);
    } else if (name == "--board-serial") {
      ok = EncodeSerial(value, options.config.boardSerial[0], options.config.boardSerial[1]);
    } else if (name == "--bench-at") {
      ok = ParsePoint(value, options.benchAt);
    } else {
      ok = ParseUnsigned(value, 3, number);
      options.config.fittedSensors = static_cast<uint16_t>(number);
    }
    if (!ok) {
      std::fprintf(stderr, "endcap-unit-sim: bad value '%s' for %s (see --help)\n", value, name.c_str());
      return false;
    }
  }
  return true;
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
  if (!ParseOptions(argc, argv, options)) return 2;

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
