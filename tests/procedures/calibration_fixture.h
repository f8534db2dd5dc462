#pragma once
// The unit's client on the simulated unit over an in-memory line, on the virtual clock, with a
// scripted operator who moves the simulated bench at the boxes, a record folder of its own, the
// runs the procedures fill, and views for the procedure dialogs that remember what they show.

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "procedures/procedure_context.h"
#include "procedures/strain_gauge_cal_dialog.h"
#include "protocol/register_values.h"
#include "records/record_settings.h"
#include "resources/calibration_control_ids.h"
#include "serial/memory_device.h"
#include "serial/text_format.h"
#include "sim/memory_unit_peer.h"
#include "sim/simulated_unit.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/temp_dir.h"
#include "unit/conversions.h"
#include "unit/procedure_runs.h"
#include "unit/unit_client.h"
#include "unit/unit_identity.h"
#include "unit/unit_state.h"

namespace endcap::testing {

class FakeFieldsView : public StrainGaugeCalView {
public:
  void SetFieldText(int id, const std::string& text) override { fields[id] = text; }
  std::string FieldText(int id) const override {
    const auto it = fields.find(id);
    return it == fields.end() ? "" : it->second;
  }
  void EndDialog() override { ++endings; }

  // What the operator does in each pressure dialog, in order: the bench first, then each text
  // typed before pressing "Pressure set" (empty: press it on the text shown), or Escape.
  struct PressureEntry {
    std::function<void()> bench;
    std::vector<std::string> typed;
    bool escape = false;
    bool abandon = false;  // the operator cannot set a pressure
  };
  void RunPressureSetDialog(PressureSetDialog& dialog) override {
    FakeFieldsView window;
    dialog.Attach(window);
    dialog.OnInitDialog();
    suggestions.push_back(window.FieldText(ctl::pressure::kPressure));
    if (pressureScript.empty()) {
      ADD_FAILURE() << "unexpected pressure dialog";
      return;
    }
    const PressureEntry entry = pressureScript.front();
    pressureScript.pop_front();
    if (entry.bench) entry.bench();
    if (entry.escape) return;
    if (entry.abandon) {
      dialog.OnAbandon();
      return;
    }
    for (const std::string& text : entry.typed) {
      if (!text.empty()) window.SetFieldText(ctl::pressure::kPressure, text);
      dialog.OnCommand(ctl::pressure::kPressureSet);
      if (window.endings > 0) return;
    }
    ADD_FAILURE() << "the pressure dialog did not end";
  }

  std::map<int, std::string> fields;
  int endings = 0;
  std::deque<PressureEntry> pressureScript;
  std::vector<std::string> suggestions;
};

// Between the station and the simulated unit: arms a fault at the unit as the station's
// multiple write from a given register arrives, so that this write and no earlier request is
// refused or goes unanswered; and keeps the start of each request that follows it.
class WriteTrap : public LinePeer {
public:
  WriteTrap(MemoryLine& line, LinePeer& next, sim::SimulatedUnit& unit) : line_(line), next_(next), unit_(unit) {
    line_.SetPeer(this);
  }
  ~WriteTrap() override { line_.SetPeer(&next_); }

  void Arm(uint16_t first, sim::Fault fault, sim::FaultMode mode) {
    first_ = first;
    fault_ = fault;
    mode_ = mode;
    armed_ = true;
  }
  void OnHostBytes(const uint8_t* data, size_t size) override {
    if (fired_) {
      after.push_back(Format("%02x %02x %02x %02x", data[0], data[1], data[2], data[3]));
    } else if (armed_ && size > 3 && data[1] == 0x10 && data[2] * 256 + data[3] == first_) {
      unit_.InjectFault(fault_, mode_);
      fired_ = true;
    }
    next_.OnHostBytes(data, size);
  }

  // "fa 04 00 02": function and first register of each request after the trapped write.
  std::vector<std::string> after;

private:
  MemoryLine& line_;
  LinePeer& next_;
  sim::SimulatedUnit& unit_;
  uint16_t first_ = 0;
  sim::Fault fault_ = sim::Fault::NoReply;
  sim::FaultMode mode_ = sim::FaultMode::Once;
  bool armed_ = false;
  bool fired_ = false;
};

inline sim::UnitConfig SerialisedUnit() {
  sim::UnitConfig config;
  sim::EncodeSerial("123456-007", config.unitSerial[0], config.unitSerial[1]);
  return config;
}

class CalibrationTest : public ::testing::Test {
protected:
  CalibrationTest() {
    ports.Attach(1, line);
    port.OpenOnPort(1);
    settings.recordFolder = home.path();
    settings.operatorId = "AB";
    settings.operatorKnown = true;
    state.operatorMarker = 1;
    LoadDefaultLimits(limits);
    ReadUnitInfo(client, state);
  }

  ProcedureContext Context() { return {client, state, op, limits, settings.operatorId}; }

  std::function<void()> Fixture(double tiltDeg, int rotationDeg) {
    return [this, tiltDeg, rotationDeg] {
      unit.SetTilt(tiltDeg);
      unit.SetRotation(rotationDeg);
    };
  }
  std::function<void()> Rotate(int rotationDeg) {
    return [this, rotationDeg] { unit.SetRotation(rotationDeg); };
  }
  std::function<void()> Apply(double psi) {
    return [this, psi] { unit.SetAppliedPressure(psi); };
  }

  uint16_t Reg(uint16_t reg) { return unit.Register(reg).value_or(0); }
  float FloatAt(uint16_t reg) {
    const uint16_t regs[2] = {Reg(reg), Reg(static_cast<uint16_t>(reg + 1))};
    return static_cast<float>(RegistersToFloat(regs, 0));
  }
  void PutFloat(uint16_t reg, double value) {
    uint16_t regs[2];
    Int32ToRegisters(regs, 0, FloatBits(static_cast<float>(value)));
    unit.SetRegister(reg, regs[0]);
    unit.SetRegister(static_cast<uint16_t>(reg + 1), regs[1]);
  }
  std::vector<uint16_t> Regs(uint16_t first, int count) {
    std::vector<uint16_t> values;
    for (int i = 0; i < count; ++i) values.push_back(Reg(static_cast<uint16_t>(first + i)));
    return values;
  }

  // The record file's lines, and the prefix every line written now carries.
  std::vector<std::string> RecordLines() const {
    std::ifstream in(home.path() + "/RemoteInclinometerLog.txt");
    std::vector<std::string> lines;
    for (std::string text; std::getline(in, text);) lines.push_back(text);
    return lines;
  }
  std::string Prefix() {
    const LocalDateTime now = clock.Now();
    return Format("AB 123456-007 %02d:%02d %02d/%02d/%d ", now.hour, now.minute, now.day, now.month, now.year);
  }

  TempDir home;
  VirtualClock clock{0, {2026, 12, 8, 9, 5, 0}};
  MemoryLine line{clock};
  sim::SimulatedUnit unit{clock, SerialisedUnit()};
  sim::MemoryUnitPeer peer{line, unit};
  WriteTrap trap{line, peer, unit};
  MemoryPortProvider ports;
  SerialPort port{ports, clock};
  ScriptedOperator op;
  UnitClient client{port};
  UnitState state;
  DefaultLimits limits;
  RecordSettings settings;
  InclinometerRun inclinometerRun;
  StrainGaugeRun gaugeRun;
  FakeFieldsView view;
};

}  // namespace endcap::testing
