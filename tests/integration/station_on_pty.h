#pragma once
// A station on the real clock whose COM port is the slave of a fresh pseudo-terminal; the
// test plays the unit on the master.

#include <gtest/gtest.h>

#include "serial/clock.h"
#include "serial/port_map.h"
#include "serial/serial_port.h"
#include "serial/termios_device.h"
#include "tests/integration/pty_pair.h"

namespace endcap::integration {

class StationOnPty : public ::testing::Test {
protected:
  static constexpr int kPort = 7;

  void SetUp() override {
    ASSERT_TRUE(pty.ok()) << pty.error();
    map.Set(kPort, pty.slavePath());
    ASSERT_TRUE(port.OpenOnPort(kPort)) << port.lastError().reason;
  }

  PtyPair pty;
  PortMap map;
  TermiosPortProvider provider{map};
  SystemClock clock;
  SerialPort port{provider, clock};
};

}  // namespace endcap::integration
