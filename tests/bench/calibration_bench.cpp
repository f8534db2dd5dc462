#include "tests/bench/calibration_bench.h"


#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "resources/calibration_control_ids.h"
#include "procedures/inclinometer_cal_dialog.h"
#include "procedures/strain_gauge_cal_dialog.h"
#include "serial/clock.h"
#include "serial/port_map.h"
#include "serial/serial_port.h"
#include "serial/termios_device.h"
#include "tests/bench/bench_figures.h"
#include "tests/support/bench_equipment.h"
#include "tests/support/child_process.h"
#include "tests/support/simulator_child.h"
#include "unit/unit_client.h"
#include "unit/unit_identity.h"

namespace endcap::bench {

namespace {

using Steady = std::chrono::steady_clock;
using testing::SimulatorChild;

constexpr int kPort = 1;
constexpr int kAnswerMs = 5000;

// Counts exchanges (each begins with a write) and the bytes on the line.
struct LineMeter {
  size_t exchanges = 0;
  size_t bytes = 0;
  double FloorMs() const {
    return static_cast<double>(exchanges) * (kExchangePausesMs + kSilenceMs) + kByteMs * static_cast<double>(bytes);
  }
};

class MeteredDevice : public SerialDevice {
public:
  MeteredDevice(std::unique_ptr<SerialDevice> inner, LineMeter& meter) : inner_(std::move(inner)), meter_(meter) {}
  ReadStatus ReadByte(uint8_t& byte, int waitMs) override {
    const ReadStatus status = inner_->ReadByte(byte, waitMs);
    if (status == ReadStatus::Byte) ++meter_.bytes;
    return status;
  }
  bool Write(const uint8_t* data, size_t size) override {
    ++meter_.exchanges;
    meter_.bytes += size;
    return inner_->Write(data, size);
  }
  void Purge() override { inner_->Purge(); }
  bool SetBaudRate(int baud) override { return inner_->SetBaudRate(baud); }

private:
  std::unique_ptr<SerialDevice> inner_;
  LineMeter& meter_;
};

class MeteredProvider : public PortProvider {
public:
  MeteredProvider(PortProvider& inner, LineMeter& meter) : inner_(inner), meter_(meter) {}
  std::unique_ptr<SerialDevice> OpenPort(int portNumber, SerialError& error) override {
    auto device = inner_.OpenPort(portNumber, error);
    return device ? std::make_unique<MeteredDevice>(std::move(device), meter_) : nullptr;
  }

private:
  PortProvider& inner_;
  LineMeter& meter_;
};

// The operator at the bench: moves the simulated fixture and tester as each box asks, answers
// the prompts, and notes anything that did not pass. The time spent moving the bench is kept
// apart from the station's.
class BenchOperator : public OperatorInterface {
public:
  explicit BenchOperator(SimulatorChild& simulator) : simulator_(simulator) {}

  void Bench(const std::string& command) {
    const auto start = Steady::now();
    if (simulator_.Control(command, kAnswerMs).compare(0, 2, "ok") != 0) Fault("simulator command '" + command + "' failed");
    benchMs += std::chrono::duration<double, std::milli>(Steady::now() - start).count();
  }

  BoxAnswer ShowMessage(const MessageBox& box) override {
    const std::string& text = box.text;
    int degrees = 0;
    if (text.rfind("Mount the end-cap with 0 pitch", 0) == 0 || text.rfind("Set End-Cap to level", 0) == 0) {
      Bench("tilt 0");
      Bench("rotation 0");
    } else if (text.rfind("Mount the end-cap with approx +10", 0) == 0) {
      Bench("tilt 10");
      Bench("rotation 0");
    } else if (std::sscanf(text.c_str(), "Position the end cap at the %d", &degrees) == 1 ||
               std::sscanf(text.c_str(), "Allign bow to %d", &degrees) == 1) {
      Bench("rotation " + std::to_string(degrees));
    } else if (std::sscanf(text.c_str(), "Set End-Cap to first pitch angle (approx %d", &degrees) == 1 ||
               std::sscanf(text.c_str(), "Set End-Cap to second pitch angle (approx %d", &degrees) == 1) {
      Bench("tilt " + std::to_string(degrees));
      Bench("rotation 0");
    } else if (text == "Set pressure to zero") {
      Bench("pressure 0");
    } else if (box.caption == "Confirm result" || text.find("FAIL") != std::string::npos ||
               text.find("failed") != std::string::npos || box.caption == "ERROR") {
      Fault("'" + text + "'");
      return box.buttons == BoxButtons::AbortRetryIgnore ? BoxAnswer::Abort : BoxAnswer::No;
    }
    return box.buttons == BoxButtons::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
  }

  std::string PromptText(const std::string& caption, const std::string& defaultText) override {
    if (caption == "Enter current drawn in mA") return "72";
    for (const testing::EquipmentAnswer& a : testing::kEquipmentAnswers)
      if (caption == a.caption && a.typed) return a.typed;
    return defaultText;
  }

  uint8_t ChoosePort() override { return kPort; }

  void Fault(const std::string& what) {
    if (failure.empty()) failure = what;
  }

  double benchMs = 0.0;
  std::string failure;

private:
  SimulatorChild& simulator_;
};

// The dialogs' edits as text; the pressure dialog applies the suggestion on the tester and
// takes it.
class BenchView : public StrainGaugeCalView {
public:
  explicit BenchView(BenchOperator& op) : op_(op) {}
  void SetFieldText(int id, const std::string& text) override { fields_[id] = text; }
  std::string FieldText(int id) const override {
    const auto it = fields_.find(id);
    return it == fields_.end() ? std::string() : it->second;
  }
  void EndDialog() override {}
  void RunPressureSetDialog(PressureSetDialog& dialog) override {
    BenchView entry(op_);
    dialog.Attach(entry);
    dialog.OnInitDialog();
    op_.Bench("pressure " + entry.FieldText(ctl::pressure::kPressure));
    dialog.OnPressureSet();
  }

private:
  BenchOperator& op_;
  std::map<int, std::string> fields_;
};

struct Figures {
  std::vector<double> wallMs, floorMs, excessMs;
  size_t exchanges = 0;
  double cpuMs = 0.0;
};

void Print(const char* name, const Figures& f, int count) {
  const double median = Median(f.wallMs);
  std::printf("%s (%d runs)\n", name, count);
  std::printf("  wall per run       median %9.1f ms   min %9.1f   max %9.1f\n", median,
              *std::min_element(f.wallMs.begin(), f.wallMs.end()), *std::max_element(f.wallMs.begin(), f.wallMs.end()));
  std::printf("  floor              median %9.1f ms   (exchanges' pauses, silences and bytes; the 150 ms\n"
              "                                         measurements fall within the polls' pauses)\n",
              Median(f.floorMs));
  std::printf("  excess over floor  median %9.1f ms   (%.2f %% of the floor; the bench's moves excluded)\n",
              Median(f.excessMs), 100.0 * Median(f.excessMs) / Median(f.floorMs));
  std::printf("  exchanges per run         %9zu\n", f.exchanges / static_cast<size_t>(count));
  std::printf("  CPU per exchange          %9.3f ms (user + system)\n", f.cpuMs / static_cast<double>(f.exchanges));
}

}  // namespace

int RunCalibrationBench(const std::string& simulatorPath, int count) {
  SimulatorChild simulator;
  if (!simulator.Start({simulatorPath, "--unit-serial", "123456-007"}, kSimulatorReadyMs)) {
    std::fprintf(stderr, "endcap-bench: %s\n", simulator.why().c_str());
    return 1;
  }
  LineMeter meter;
  PortMap map;
  map.Set(kPort, simulator.device());
  TermiosPortProvider termios(map);
  MeteredProvider provider(termios, meter);
  SystemClock clock;
  SerialPort port(provider, clock);
  BenchOperator op(simulator);
  UnitClient client(port);
  UnitState unit;
  DefaultLimits limits;
  const std::string operatorId = "AB";
  if (!port.OpenOnPort(kPort)) {
    std::fprintf(stderr, "endcap-bench: %s\n", port.lastError().reason.c_str());
    return 1;
  }
  LoadDefaultLimits(limits);
  unit.operatorMarker = 1;
  ReadUnitInfo(client, unit);
  const ProcedureContext context{client, unit, op, limits, operatorId};

  Figures figures[2];
  const char* names[2] = {"inclinometer calibration and check (9 positions)",
                          "strain gauge calibration and six-point check"};
  for (int run = 0; run < count; ++run) {
    for (int which = 0; which < 2; ++which) {
      BenchView view(op);
      meter = {};
      op.benchMs = 0.0;
      const double cpuStart = CpuMs();
      const auto start = Steady::now();
      bool passed = false;
      if (which == 0) {
        InclinometerRun inclinometerRun;
        InclinometerCalDialog dialog(context, inclinometerRun);
        dialog.Attach(view);
        dialog.OnInitDialog();
        dialog.OnCalibrate();
        passed = dialog.commandSucceeded;
        dialog.OnConfirmCalibration();
        passed = passed && dialog.commandSucceeded;
      } else {
        StrainGaugeRun gaugeRun;
        StrainGaugeCalDialog dialog(context, gaugeRun);
        dialog.Attach(view);
        dialog.OnInitDialog();
        dialog.OnSetAndCalibrate();
        passed = dialog.commandSucceeded;
        dialog.OnConfirmCalibration();
        passed = passed && dialog.commandSucceeded;
      }
      const double wall = std::chrono::duration<double, std::milli>(Steady::now() - start).count();
      if (!passed || !op.failure.empty()) {
        std::fprintf(stderr, "endcap-bench: %s did not pass: %s\n", names[which],
                     op.failure.empty() ? "a command failed" : op.failure.c_str());
        return 1;
      }
      Figures& f = figures[which];
      f.cpuMs += CpuMs() - cpuStart;
      f.wallMs.push_back(wall - op.benchMs);
      f.floorMs.push_back(meter.FloorMs());
      f.excessMs.push_back(wall - op.benchMs - meter.FloorMs());
      f.exchanges += meter.exchanges;
    }
  }
  std::printf("endcap-bench: calibrations on %s\n", simulator.device().c_str());
  for (int which = 0; which < 2; ++which) Print(names[which], figures[which], count);
  return 0;
}

}  // namespace endcap::bench
