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

// A boot loader that has gone silent: the unit hears the station only while it runs its program.
class SilentBootLoader : public LinePeer {
public:
  SilentBootLoader(sim::SimulatedUnit& unit, LinePeer& peer) : unit_(unit), peer_(peer) {}
  void OnHostBytes(const uint8_t* data, size_t size) override {
    if (unit_.mode() == sim::UnitMode::Modbus) peer_.OnHostBytes(data, size);
  }

private:
  sim::SimulatedUnit& unit_;
  LinePeer& peer_;
};

class SendProgramTest : public ::testing::Test {
protected:
  SendProgramTest() {
    ports.Attach(1, line);
    port.OpenOnPort(1);
  }
  VirtualClock clock;
  MemoryLine line{clock};
  sim::SimulatedUnit unit{clock};
  sim::MemoryUnitPeer peer{line, unit};
  MemoryPortProvider ports;
  SerialPort port{ports, clock};
  UnitClient client{port};
  IgnoredProgress progress;
  LoadResult result;
};

TEST_F(SendProgramTest, AStopEndsTheLoadAtTheNextLineBoundary) {  // A first line of 61 characters goes out as two pieces; the stop is asked only before each line.
  const std::string first = testing::HexRecord(0, 0, std::vector<uint8_t>(25, 0x33));
  const std::string program = first + "\n" + testing::HexRecord(0, 25, {1}) + "\n" + testing::EndOfFileRecord() + "\n";
  int asked = 0;
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

TEST_F(SendProgramTest, AnExchangeThatAStopCutShortIsNotCounted) {
  SilentBootLoader silent(unit, peer);
  line.SetPeer(&silent);
  int asked = 0;
  SendProgram(client, testing::HexImage(2, 16), progress, result, [&asked] { return ++asked > 1; });
  EXPECT_EQ(asked, 2);
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(result.sent, 0);
  EXPECT_EQ(result.lines, 0);
  EXPECT_EQ(result.unanswered, 0);
}

}  // namespace
}  // namespace endcap
