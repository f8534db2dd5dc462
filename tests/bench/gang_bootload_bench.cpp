// A gang load timed against standalone simulators, one per port, each on its own
// pseudo-terminal: gangs of 1, 2, 4 ... boards load the same program, and the wall time of each
// gang is set against the gang of one (a single load). The boards wait on their own lines, so a
// gang should take about the time of one; the CPU time per line shows that the waits sleep.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

#include <unistd.h>

#include "cli/gang_bootload.h"
#include "serial/clock.h"
#include "serial/port_map.h"
#include "serial/termios_device.h"
#include "tests/bench/bench_figures.h"
#include "tests/bench/bootload_bench.h"
#include "tests/support/hex_records.h"
#include "tests/support/simulator_child.h"

namespace endcap::bench {

namespace {

using Steady = std::chrono::steady_clock;

constexpr int kSimulatorAnswerMs = 5000;
constexpr int kDataBytesPerRecord = 16;

// When each board had each piece through.
class LineTimes : public GangProgress {
public:
  explicit LineTimes(size_t boards) : marks_(boards) {}
  void Show(size_t board, int, int, int, int) override {
    const std::lock_guard<std::mutex> lock(mutex_);
    marks_[board].push_back(Steady::now());
  }
  // Every board's time per piece, in milliseconds.
  std::vector<double> PieceMs() const {
    std::vector<double> ms;
    for (const auto& board : marks_)
      for (size_t i = 1; i < board.size(); ++i)
        ms.push_back(std::chrono::duration<double, std::milli>(board[i] - board[i - 1]).count());
    return ms;
  }

private:
  std::mutex mutex_;
  std::vector<std::vector<Steady::time_point>> marks_;
};

struct GangFigures {
  size_t boards = 0;
  double wallS = 0.0;
  double lineMs = 0.0;  // median over every board's lines
  double cpuPerLineMs = 0.0;
};

// One gang load of the first boards simulators; false when a board was not loaded.
bool TimeGang(std::vector<std::unique_ptr<testing::SimulatorChild>>& sims, size_t boards, const std::string& program,
              int records, GangFigures& figures) {
  PortMap map;
  std::vector<std::unique_ptr<SystemClock>> clocks;
  std::vector<GangBoard> gang;
  for (size_t i = 0; i < boards; ++i) {
    // Back in its program, as a board fresh off the line.
    sims[i]->Control("power-cycle", kSimulatorAnswerMs);
    map.Set(static_cast<int>(i) + 1, sims[i]->device());
  }
  TermiosPortProvider provider(map);
  for (size_t i = 0; i < boards; ++i) {
    clocks.push_back(std::make_unique<SystemClock>());
    gang.push_back({static_cast<int>(i) + 1, sims[i]->device(), &provider, clocks.back().get()});
  }
  LineTimes times(boards);
  const double cpuStart = CpuMs();
  const auto start = Steady::now();
  const std::vector<BoardLoad> loads = LoadGang(gang, program, times, nullptr);
  figures.wallS = std::chrono::duration<double>(Steady::now() - start).count();
  const double cpuMs = CpuMs() - cpuStart;
  figures.boards = boards;
  figures.lineMs = Median(times.PieceMs());
  figures.cpuPerLineMs = cpuMs / static_cast<double>(boards * static_cast<size_t>(records));
  for (size_t i = 0; i < boards; ++i) {
    const std::string report = sims[i]->Control("bootloader", kSimulatorAnswerMs);
    if (!BoardLoaded(loads[i]) || report.find("records=" + std::to_string(records) + " ") == std::string::npos ||
        report.find("eof=yes") == std::string::npos) {
      std::fprintf(stderr, "endcap-bench: board %zu of a gang of %zu: %s; simulator: %s\n", i + 1, boards,
                   BoardVerdict(loads[i]).c_str(), report.c_str());
      return false;
    }
  }
  return true;
}

}  // namespace

int RunGangBootloadBench(const std::string& simulator, int records, int gang) {
  std::vector<std::unique_ptr<testing::SimulatorChild>> sims;
  for (int i = 0; i < gang; ++i) {
    sims.push_back(std::make_unique<testing::SimulatorChild>());
    if (!sims.back()->Start({simulator}, kSimulatorReadyMs)) {
      std::fprintf(stderr, "endcap-bench: %s\n", sims.back()->why().c_str());
      return 1;
    }
  }
  const std::string program = testing::HexImage(records - 1, kDataBytesPerRecord);
  std::vector<size_t> sizes;
  for (size_t size = 1; size < static_cast<size_t>(gang); size *= 2) sizes.push_back(size);
  sizes.push_back(static_cast<size_t>(gang));

  std::printf("endcap-bench: gang firmware loads of %d records, one simulator on its own pseudo-terminal per board\n",
              records);
  std::printf("  boards   wall      ratio to 1   line median   ratio to 1   CPU per line\n");
  GangFigures single;
  for (const size_t size : sizes) {
    GangFigures figures;
    if (!TimeGang(sims, size, program, records, figures)) return 1;
    if (size == 1) single = figures;
    std::printf("  %6zu %7.2f s %10.3f %11.1f ms %11.3f %10.3f ms\n", size, figures.wallS, figures.wallS / single.wallS,
                figures.lineMs, figures.lineMs / single.lineMs, figures.cpuPerLineMs);
  }
  return 0;
}

}  // namespace endcap::bench
