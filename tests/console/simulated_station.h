#pragma once
// The station's application on the simulated unit over an in-memory line wired to COM1, on
// the virtual clock, with a scripted operator and its home directory in a fresh folder.

#include <string>

#include "console/tester_app.h"
#include "records/drive_map.h"
#include "serial/memory_device.h"
#include "sim/memory_unit_peer.h"
#include "sim/simulated_unit.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/temp_dir.h"

namespace endcap::testing {

inline DriveMap HomeIn(const std::string& dir) {
  DriveMap drives;
  drives.Set('C', dir);
  return drives;
}

struct SimulatedStation {
  SimulatedStation() { ports_.Attach(1, line_); }

  TempDir home_;
  VirtualClock clock_;
  MemoryLine line_{clock_};
  sim::SimulatedUnit unit_{clock_};
  sim::MemoryUnitPeer peer_{line_, unit_};
  MemoryPortProvider ports_;
  SerialPort port_{ports_, clock_};
  ScriptedOperator op_;
  TesterApp app_{port_, op_, HomeIn(home_.path())};
};

}  // namespace endcap::testing
