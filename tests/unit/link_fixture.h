#pragma once
// A ModbusLink on an in-memory line with a scripted far end and a scripted operator, all on
// the virtual clock.

#include <gtest/gtest.h>

#include "serial/memory_device.h"
#include "tests/support/frame_text.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/scripted_peer.h"
#include "unit/modbus_link.h"

namespace endcap::testing {

class LinkTest : public ::testing::Test {
protected:
  LinkTest() {
    ports.Attach(1, line);
    port.OpenOnPort(1);
    link.LoadDefaultLimits();
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
  ModbusLink link{port, op};
};

}  // namespace endcap::testing
