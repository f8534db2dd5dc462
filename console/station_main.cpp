// endcap-station: the test and calibration station's window on this machine's serial ports,
// or with --simulate on a simulated unit: endcap-unit-sim with its bench window, run beside the
// station as a process of its own.

#include <QApplication>
#include <QScreen>
#include <QSocketNotifier>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <clocale>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "console/bench_process.h"
#include "console/qt/main_window.h"
#include "console/qt/qt_operator.h"
#include "console/station_options.h"
#include "serial/close_on_signal.h"
#include "serial/display_check.h"
#include "serial/line_trace.h"
#include "serial/termios_device.h"

namespace {

using namespace endcap;

constexpr int kBadUsage = 2;
constexpr int kCannotStart = 1;

// The trace stream; standard error is never closed here.
struct TraceFile {
  std::FILE* stream = nullptr;
  ~TraceFile() {
    if (stream && stream != stderr) std::fclose(stream);
  }
};

// SIGINT, SIGTERM and SIGHUP end the program as the main window's ending does, so that the
// simulated unit's link is removed: the handler only notes the signal (a calibration then ends
// and records what it completed, see close_on_signal.h) and writes to a pipe that the event
// loop watches.
int signalPipe[2] = {-1, -1};
// The stop signal that came while a calibration ran; the program then ends saying so.
volatile sig_atomic_t stoppedProcedure = 0;

void OnStopSignal(int signalNumber) {
  if (NoteStopSignal(signalNumber) && stoppedProcedure == 0) stoppedProcedure = signalNumber;
  const char byte = 1;
  [[maybe_unused]] const ssize_t ignored = ::write(signalPipe[1], &byte, 1);
}

bool QuitOnStopSignals() {
  if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP})
    if (::sigaction(signalNumber, &action, nullptr) != 0) return false;
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, QCoreApplication::instance(), &QCoreApplication::quit);
  return true;
}

// A bench that ends on its own takes the unit off COM1: the operator is told once, on standard
// error too, and the child is reaped. The returned notifier must go before the bench.
std::unique_ptr<QSocketNotifier> WatchBench(BenchProcess& bench, OperatorInterface& op) {
  if (bench.endWatch() < 0) {
    std::fprintf(stderr, "endcap-station: the end of the simulated unit will go unnoticed: %s\n",
                 bench.endWatchError().c_str());
    return nullptr;
  }
  auto notifier = std::make_unique<QSocketNotifier>(bench.endWatch(), QSocketNotifier::Read);
  QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(), [&bench, &op, n = notifier.get()] {
    std::string how;
    if (!bench.ReapIfEnded(how)) return;
    n->setEnabled(false);
    std::fprintf(stderr, "endcap-station: the simulated bench has ended (%s)\n", how.c_str());
    op.ShowMessage(WindowBox(BenchEndedText(how)));
  });
  return notifier;
}

// The main window at the top left of the screen and the bench's top left corner beside it, far
// enough to the right for the window manager's frame.
std::pair<int, int> PlaceBesideEachOther(QWidget& window) {
  constexpr int kMargin = 24;
  const QScreen* primary = QGuiApplication::primaryScreen();
  const QRect screen = primary ? primary->availableGeometry() : QRect();
  window.move(screen.left() + kMargin, screen.top() + kMargin);
  return {screen.left() + window.width() + 3 * kMargin, screen.top() + kMargin};
}

}  // namespace

int main(int argc, char** argv) {
  CloseSerialPortsOnSignals();
  StationOptions options;
  const ParseOutcome parse = ParseStationOptions(std::vector<std::string>(argv + 1, argv + argc), options);
  if (parse.kind == ParseOutcome::Kind::Help) {
    std::fputs(parse.text.c_str(), stdout);
    return 0;
  }
  if (parse.kind == ParseOutcome::Kind::UsageError) {
    std::fprintf(stderr, "endcap-station: %s\n\n%s", parse.text.c_str(), parse.usage.c_str());
    return kBadUsage;
  }
  PortMap& ports = options.shared.ports;
  const DriveMap& drives = options.shared.drives;
  const std::string& traceName = options.shared.traceFile;
  std::string error;

  TraceFile traceFile;
  if (!traceName.empty()) {
    traceFile.stream = traceName == "-" ? stderr : std::fopen(traceName.c_str(), "w");
    if (!traceFile.stream) {
      std::fprintf(stderr, "endcap-station: cannot write the trace to %s: %s\n", traceName.c_str(),
                   std::strerror(errno));
      return kCannotStart;
    }
  }

  if (const std::string missing = MissingDisplay(); !missing.empty()) {
    std::fputs(NoDisplayMessage("endcap-station", missing).c_str(), stderr);
    return kCannotStart;
  }

  // Qt's own options are not offered: the platform and style come from the environment.
  int qtArgc = 1;
  QApplication application(qtArgc, argv);
  // Qt takes the user's locale; the system's texts and record lines are written with a
  // decimal point whatever it is.
  std::setlocale(LC_NUMERIC, "C");
  if (!QuitOnStopSignals())
    std::fprintf(stderr, "endcap-station: stop signals not caught: %s\n", std::strerror(errno));

  SystemClock clock;
  TermiosPortProvider provider(ports);
  SerialPort port(provider, clock);
  std::unique_ptr<LineTrace> trace;
  if (traceFile.stream) {
    trace = std::make_unique<LineTrace>(traceFile.stream, clock, [&traceName](const std::string& reason) {
      std::fprintf(stderr, "endcap-station: the trace file %s could not be written (%s); tracing stops\n",
                   traceName.c_str(), reason.c_str());
    });
    port.SetTrace(trace.get());
  }
  QtOperator op(provider);
  op.SetDriveMap(drives);
  TesterApp app(port, op, drives, options.shared.storeFile);

  MainWindow window(app, options.factory);
  op.SetMainWindow(&window);
  // The program ends with the main window, whichever other window is open.
  QApplication::setQuitOnLastWindowClosed(false);
  QObject::connect(&window, &QDialog::finished, &application, &QApplication::quit);

  BenchProcess bench;
  if (options.simulate) {
    if (!bench.Start(SimulatorBesideThisProgram(), PlaceBesideEachOther(window), error)) {
      std::fprintf(stderr, "endcap-station: cannot start the simulated unit: %s\n", error.c_str());
      return kCannotStart;
    }
    // The port provider looks the map up at each open, so COM1 may be set now.
    ports.Set(1, bench.devicePath());
  }
  const std::unique_ptr<QSocketNotifier> benchWatch = options.simulate ? WatchBench(bench, op) : nullptr;
  window.show();
  const int status = QApplication::exec() == 0 ? 0 : kCannotStart;
  // A command still running (a stop signal ends the window's event loop whatever runs) ends
  // while its unit is still there.
  window.FinishCommand();
  if (stoppedProcedure != 0) {
    std::fprintf(stderr, "endcap-station: stopped by %s; what the calibration completed before it is recorded\n",
                 StopSignalName(stoppedProcedure));
    return 128 + stoppedProcedure;
  }
  return status;
}
