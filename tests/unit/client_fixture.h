#pragma once
// The unit's client on an in-memory line with a scripted far end, the station's copy of the
// unit, the limits and a scripted operator, all on the virtual clock.

#include <gtest/gtest.h>

#include "serial/memory_device.h"
#include "tests/support/frame_text.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/scripted_peer.h"
#include "unit/board_checks.h"
#include "unit/calibration_operations.h"
#include "unit/default_limits.h"
#include "unit/procedure_runs.h"
#include "unit/sensor_operations.h"
#include "unit/unit_client.h"
#include "unit/unit_identity.h"
#include "unit/unit_state.h"

namespace endcap::testing {

class UnitClientTest : public ::testing::Test {
protected:
  UnitClientTest() {
    ports.Attach(1, line);
    port.OpenOnPort(1);
    LoadDefaultLimits(limits);
  }
  // The frames the station sent, as lower-case hex, one string per write.
  std::vector<std::string> Sent() const {
    std::vector<std::string> frames;
    for (const auto& frame : peer.received()) frames.push_back(HexText(frame));
    return frames;
  }

  VirtualClock clock{0, {2026, 12, 8, 9, 5, 0}};
  MemoryLine line{clock};
  MemoryPortProvider ports;
  SerialPort port{ports, clock};
  ScriptedPeer peer{line};
  ScriptedOperator op;
  UnitClient client{port};
  UnitState unit;
  DefaultLimits limits;
  std::string operatorId;
  InclinometerRun inclinometerRun;
  StrainGaugeRun gaugeRun;
};

}  // namespace endcap::testing
