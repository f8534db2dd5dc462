// The switch and the sending without a window, against the simulated unit on an in-memory line
// and the virtual clock: a stop ends the load between two lines, never inside one.

#include <gtest/gtest.h>

#include "firmware/firmware_loader.h"
#include "serial/memory_device.h"
#include "sim/memory_unit_peer.h"
#include "tests/support/hex_records.h"

namespace endcap {
namespace {

class IgnoredProgress : public LoadProgressView {
public:
  void SetProgressRange(int, int) override {}
  void SetProgressPosition(int) override {}
  void ShowProgress(bool) override {}
};

TEST(SendProgram, AStopEndsTheLoadAtTheNextLineBoundary) {
  VirtualClock clock;
  MemoryLine line{clock};
  sim::SimulatedUnit unit{clock};
  sim::MemoryUnitPeer peer{line, unit};
  MemoryPortProvider ports;
  ports.Attach(1, line);
  SerialPort port{ports, clock};
  ASSERT_TRUE(port.OpenOnPort(1));
  UnitClient client{port};
  // A first line of 61 characters goes out as two pieces; the stop is asked only before each line.
  const std::string first = testing::HexRecord(0, 0, std::vector<uint8_t>(25, 0x33));
  const std::string program = first + "\n" + testing::HexRecord(0, 25, {1}) + "\n" + testing::EndOfFileRecord() + "\n";
  int asked = 0;
  IgnoredProgress progress;
  LoadResult result;
  SendProgram(client, program, progress, result, [&asked] { return ++asked == 2; });
  EXPECT_EQ(asked, 2);
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(result.outcome, LoadOutcome::Sent);
  EXPECT_EQ(result.pieces, 4);
  EXPECT_EQ(result.sent, 2);
  EXPECT_EQ(result.lines, 1);
  EXPECT_EQ(result.unanswered, 0);
  EXPECT_EQ(unit.bootImage().lines, std::vector<std::string>{first});
}

}  // namespace
}  // namespace endcap
