// endcap-bench: how long the station's Modbus exchanges take on a real pseudo-terminal against
// the standalone simulated unit, compared with the floor the protocol allows: the pauses before
// each request, the request and reply at 9600 baud, and the silence that ends a reply. Also
// the CPU time the station spends per exchange, which shows whether its pauses and reads sleep.

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "operator/operator_interface.h"
#include "options/command_line.h"
#include "protocol/register_map.h"
#include "serial/beside_this_program.h"
#include "serial/clock.h"
#include "serial/close_on_signal.h"
#include "serial/port_map.h"
#include "serial/serial_port.h"
#include "serial/termios_device.h"
#include "tests/bench/bench_figures.h"
#include "tests/bench/bootload_bench.h"
#include "tests/bench/calibration_bench.h"
#include "tests/support/child_process.h"
#include "tests/support/simulator_child.h"
#include "unit/unit_client.h"
#include "unit/unit_identity.h"

namespace {

using endcap::testing::SimulatorChild;
using Steady = std::chrono::steady_clock;
using namespace endcap::bench;

constexpr int kPort = 1;

// Bytes on the line per exchange, as the station's device saw them: an exchange begins with
// each write.
struct Exchange {
  std::vector<uint8_t> request;
  size_t replyBytes = 0;
};

class MeteredDevice : public endcap::SerialDevice {
public:
  MeteredDevice(std::unique_ptr<endcap::SerialDevice> inner, std::vector<Exchange>& log)
      : inner_(std::move(inner)), log_(log) {}
  endcap::ReadStatus ReadByte(uint8_t& byte, int waitMs) override {
    const endcap::ReadStatus status = inner_->ReadByte(byte, waitMs);
    if (status == endcap::ReadStatus::Byte && !log_.empty()) ++log_.back().replyBytes;
    return status;
  }
  bool Write(const uint8_t* data, size_t size) override {
    log_.push_back({std::vector<uint8_t>(data, data + size), 0});
    return inner_->Write(data, size);
  }
  void Purge() override { inner_->Purge(); }
  bool SetBaudRate(int baud) override { return inner_->SetBaudRate(baud); }

private:
  std::unique_ptr<endcap::SerialDevice> inner_;
  std::vector<Exchange>& log_;
};

class MeteredProvider : public endcap::PortProvider {
public:
  MeteredProvider(endcap::PortProvider& inner, std::vector<Exchange>& log) : inner_(inner), log_(log) {}
  std::unique_ptr<endcap::SerialDevice> OpenPort(int portNumber, endcap::SerialError& error) override {
    auto device = inner_.OpenPort(portNumber, error);
    if (!device) return nullptr;
    return std::make_unique<MeteredDevice>(std::move(device), log_);
  }

private:
  endcap::PortProvider& inner_;
  std::vector<Exchange>& log_;
};

// A read of N registers is answered by address, function, byte count, 2N data bytes and CRC.
bool FullReply(const Exchange& e) {
  if (e.request.size() != 8 || e.request[1] != endcap::reg::kReadInputRegisters) return false;
  const size_t count = static_cast<size_t>(e.request[4]) * 256 + e.request[5];
  return e.replyBytes == 2 * count + 5;
}

size_t LineBytes(const std::vector<Exchange>& exchanges) {
  size_t bytes = 0;
  for (const Exchange& e : exchanges) bytes += e.request.size() + e.replyBytes;
  return bytes;
}

double FloorMs(const std::vector<Exchange>& exchanges) {
  return static_cast<double>(exchanges.size()) * (kExchangePausesMs + kSilenceMs) + kByteMs * static_cast<double>(LineBytes(exchanges));
}

struct Options {
  int count = 0;  // 0: the default of what is timed
  bool connect = false;
  bool calibration = false;
  bool bootload = false;
  int gang = 0;  // 0: a single load
  std::string simulator = endcap::BesideThisProgram("endcap-unit-sim");
};

endcap::ParseOutcome ParseOptions(int argc, char** argv, Options& options) {
  char floor[160];
  std::snprintf(floor, sizeof floor,
                "%.0f ms of pauses before each request, the request and reply at 9600 baud (10 bits a byte), "
                "and %.0f ms of silence",
                kExchangePausesMs, kSilenceMs);
  CLI::App app(std::string("Times the station's Modbus exchanges against the simulated unit (endcap-unit-sim) on a "
                           "pseudo-terminal, and compares them with the protocol's floor: ") +
                   floor + ".",
               "endcap-bench");
  app.get_formatter()->column_width(18);
  app.add_option("--count", options.count,
                 "runs to time (default 20 single reads or connects, 1 calibration, 500 records to load)")
      ->type_name("N")
      ->check(CLI::Range(1, 100000));
  auto* connect = app.add_flag("--connect", options.connect,
                               "time the connect sequence (the handshake read of 3 registers from 2, then the four "
                               "reads of the unit's identity, settings and calibration records) instead of single "
                               "reads of 3 registers from 2 with a 2 s time-out");
  auto* calibration = app.add_flag("--calibration", options.calibration,
                                   "time a whole inclinometer calibration with its check and a strain gauge calibration "
                                   "with its six-point check, the bench moved by a scripted operator");
  auto* bootload = app.add_flag("--bootload", options.bootload,
                                "time a firmware load of N Intel HEX records into the simulator's boot loader, per "
                                "line against the floor of the text exchange");
  app.add_option("--gang", options.gang,
                 "with --bootload: load gangs of 1, 2, 4 ... up to N simulated boards at once, each wall time "
                 "against the gang of one")
      ->type_name("N")
      ->check(CLI::Range(1, 16))
      ->needs(bootload);
  connect->excludes(calibration)->excludes(bootload);
  calibration->excludes(bootload);
  app.add_option("--sim", options.simulator, "the simulator program (default: endcap-unit-sim beside this program)")
      ->type_name("PATH");
  return endcap::ParseArguments(app, std::vector<std::string>(argv + 1, argv + argc));
}

// One timed run: a single read, or the connect sequence. True when the handshake read
// succeeded; the four reads after it report nothing, and their replies are checked on the line.
bool Run(endcap::UnitClient& client, bool connect) {
  uint16_t values[3] = {};
  const bool handshake = client.ReadInputRegisters(2, 3, values, 2);
  endcap::UnitState unit;
  if (connect) endcap::ReadUnitInfo(client, unit);
  return handshake;
}

}  // namespace

int main(int argc, char** argv) {
  endcap::CloseSerialPortsOnSignals();
  Options options;
  if (const auto status = endcap::FinishWithoutRunning(ParseOptions(argc, argv, options), "endcap-bench")) return *status;
  if (options.calibration) return endcap::bench::RunCalibrationBench(options.simulator, options.count ? options.count : 1);
  if (options.bootload && options.gang > 0)
    return endcap::bench::RunGangBootloadBench(options.simulator, options.count ? options.count : 500, options.gang);
  if (options.bootload) return endcap::bench::RunBootloadBench(options.simulator, options.count ? options.count : 500);
  if (options.count == 0) options.count = 20;

  SimulatorChild simulator;
  if (!simulator.Start({options.simulator}, kSimulatorReadyMs)) {
    std::fprintf(stderr, "endcap-bench: %s\n", simulator.why().c_str());
    return 1;
  }

  std::vector<Exchange> log;
  endcap::PortMap map;
  map.Set(kPort, simulator.device());
  endcap::TermiosPortProvider termios(map);
  MeteredProvider provider(termios, log);
  endcap::SystemClock clock;
  endcap::SerialPort port(provider, clock);
  endcap::UnitClient client(port);
  if (!port.OpenOnPort(kPort)) {
    std::fprintf(stderr, "endcap-bench: %s\n", port.lastError().reason.c_str());
    return 1;
  }

  std::vector<double> wallMs;
  std::vector<double> excessMs;
  double floorMs = 0.0;
  size_t exchanges = 0;
  const double cpuStart = CpuMs();
  for (int i = 0; i < options.count; ++i) {
    log.clear();
    const auto start = Steady::now();
    const bool ok = Run(client, options.connect);
    const double wall = std::chrono::duration<double, std::milli>(Steady::now() - start).count();
    const bool full = std::all_of(log.begin(), log.end(), FullReply);
    if (!ok || !full || log.size() != (options.connect ? 5u : 1u)) {
      std::fprintf(stderr, "endcap-bench: run %d failed: %zu exchanges, %s\n", i + 1, log.size(),
                   ok ? "a reply was short or missing" : "the handshake read failed");
      return 1;
    }
    floorMs = FloorMs(log);
    wallMs.push_back(wall);
    excessMs.push_back(wall - floorMs);
    exchanges += log.size();
  }
  const double cpuMs = CpuMs() - cpuStart;

  const auto [wallMin, wallMax] = std::minmax_element(wallMs.begin(), wallMs.end());
  const auto [excessMin, excessMax] = std::minmax_element(excessMs.begin(), excessMs.end());
  std::printf("endcap-bench: %s, %d runs on %s\n",
              options.connect ? "connect sequence (handshake and four identity reads)"
                              : "read of 3 registers from 2 (time-out 2 s)",
              options.count, simulator.device().c_str());
  std::printf("  wall per run       median %8.1f ms   min %8.1f   max %8.1f\n", Median(wallMs), *wallMin, *wallMax);
  std::printf("  floor                     %8.1f ms = %zu x (%.0f ms pauses + %.0f ms silence) + %zu bytes at 9600 baud\n",
              floorMs, log.size(), kExchangePausesMs, kSilenceMs, LineBytes(log));
  std::printf("  excess over floor  median %8.1f ms   min %8.1f   max %8.1f\n", Median(excessMs), *excessMin, *excessMax);
  std::printf("  CPU per exchange          %8.3f ms (user + system, %zu exchanges)\n",
              cpuMs / static_cast<double>(exchanges), exchanges);
  return 0;
}
