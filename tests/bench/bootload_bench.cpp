// How long a firmware load takes per line over a real pseudo-terminal into the standalone
// simulator's boot loader, compared with the floor the text exchange allows: 20 + 20 ms of
// pauses around the purge, the line and its line feed at 9600 baud, and the answer ("OK\r\n")
// at 9600 baud. Also the CPU time per line, which shows whether the waits sleep.

#include "tests/bench/bootload_bench.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "firmware/firmware_link.h"
#include "firmware/firmware_loader.h"
#include "serial/clock.h"
#include "serial/port_map.h"
#include "serial/serial_port.h"
#include "serial/termios_device.h"
#include "tests/bench/bench_figures.h"
#include "tests/support/simulator_child.h"
#include "tests/support/hex_records.h"

namespace endcap::bench {

namespace {

using Steady = std::chrono::steady_clock;

constexpr int kPort = 1;
constexpr int kSimulatorAnswerMs = 5000;
constexpr double kPausesMs = 20.0 + 20.0;
constexpr size_t kAnswerBytes = 4;  // "OK\r\n"
constexpr int kDataBytesPerRecord = 16;

// Picks the program file, takes every box with OK; anything else is a broken bench.
class BenchOperator : public OperatorInterface {
public:
  explicit BenchOperator(std::string file) : file_(std::move(file)) {}
  BoxAnswer ShowMessage(const MessageBox& box) override {
    boxes.push_back(box.text);
    return BoxAnswer::Ok;
  }
  std::string PromptText(const std::string& caption, const std::string&) override { Fail("prompt \"" + caption + "\""); }
  uint8_t ChoosePort() override { Fail("port chooser"); }
  std::string ChooseOpenFile(const std::string&, const std::vector<FileFilter>&) override { return file_; }
  std::vector<std::string> boxes;

private:
  [[noreturn]] static void Fail(const std::string& what) {
    std::fprintf(stderr, "endcap-bench: unexpected operator interaction: %s\n", what.c_str());
    std::abort();
  }
  std::string file_;
};

// The time at which each line was through: the loader moves the bar after each piece.
class Stopwatch : public LoadProgressView {
public:
  void SetProgressRange(int, int) override {}
  void SetProgressPosition(int) override { marks.push_back(Steady::now()); }
  void ShowProgress(bool) override {}
  std::vector<Steady::time_point> marks;
};

double FloorMs(const std::string& line) { return kPausesMs + kByteMs * static_cast<double>(line.size() + 1 + kAnswerBytes); }

}  // namespace

int RunBootloadBench(const std::string& simulator, int records) {
  testing::SimulatorChild sim;
  if (!sim.Start({simulator}, kSimulatorReadyMs)) {
    std::fprintf(stderr, "endcap-bench: %s\n", sim.why().c_str());
    return 1;
  }

  char folder[] = "/tmp/endcap-bench-XXXXXX";
  if (!::mkdtemp(folder)) {
    std::perror("endcap-bench: temporary folder");
    return 1;
  }
  const std::string path = std::string(folder) + "/program.hex";
  const std::string image = testing::HexImage(records - 1, kDataBytesPerRecord);
  testing::WriteFile(path, image);
  std::vector<std::string> lines;
  std::istringstream split(image);
  for (std::string line; std::getline(split, line);) lines.push_back(line);

  PortMap map;
  map.Set(kPort, sim.device());
  TermiosPortProvider provider(map);
  SystemClock clock;
  SerialPort port(provider, clock);
  BenchOperator op(path);
  UnitClient client(port);
  if (!port.OpenOnPort(kPort)) {
    std::fprintf(stderr, "endcap-bench: %s\n", port.lastError().reason.c_str());
    return 1;
  }
  Stopwatch watch;
  const double cpuStart = CpuMs();
  const LoadResult load = LoadFirmware(client, op, kFirmwareFolder, watch);
  const double cpuMs = CpuMs() - cpuStart;
  std::remove(path.c_str());
  ::rmdir(folder);
  if (load.outcome != LoadOutcome::Sent || load.unanswered != 0 || load.sent != records ||
      watch.marks.size() != lines.size() + 1) {
    std::fprintf(stderr, "endcap-bench: the load failed: outcome %d, %d of %d lines sent, %d unanswered\n",
                 static_cast<int>(load.outcome), load.sent, records, load.unanswered);
    return 1;
  }
  const std::string report = sim.Control("bootloader", kSimulatorAnswerMs);

  std::vector<double> wallMs, excessMs, ratios;
  for (size_t i = 0; i < lines.size(); ++i) {
    const double wall = std::chrono::duration<double, std::milli>(watch.marks[i + 1] - watch.marks[i]).count();
    wallMs.push_back(wall);
    excessMs.push_back(wall - FloorMs(lines[i]));
    ratios.push_back(wall / FloorMs(lines[i]));
  }
  const auto [wallMin, wallMax] = std::minmax_element(wallMs.begin(), wallMs.end());
  const double totalS = std::chrono::duration<double>(watch.marks.back() - watch.marks.front()).count();
  std::printf("endcap-bench: firmware load of %d records (%zu characters a data record) on %s\n", records,
              lines.front().size(), sim.device().c_str());
  std::printf("  wall per line      median %8.1f ms   min %8.1f   max %8.1f   (whole load %.1f s)\n", Median(wallMs),
              *wallMin, *wallMax, totalS);
  std::printf("  floor, data record        %8.1f ms = %.0f ms pauses + %zu characters out and %zu back at 9600 baud\n",
              FloorMs(lines.front()), kPausesMs, lines.front().size() + 1, kAnswerBytes);
  std::printf("  excess over floor  median %8.1f ms   ratio to floor median %.3f\n", Median(excessMs), Median(ratios));
  std::printf("  CPU per line              %8.3f ms (user + system)\n", cpuMs / static_cast<double>(lines.size()));
  std::printf("  simulator: %s\n", report.c_str());
  return report.find("records=" + std::to_string(records) + " ") != std::string::npos &&
                 report.find("eof=yes") != std::string::npos
             ? 0
             : 1;
}

}  // namespace endcap::bench
