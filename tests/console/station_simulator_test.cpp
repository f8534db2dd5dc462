// The --simulate unit on a real pseudo-terminal, reached the way the station reaches COM1.
// Real time: a few exchanges of some 200 ms each.

#include <gtest/gtest.h>

#include <filesystem>

#include "console/station_simulator.h"
#include "serial/termios_device.h"
#include "tests/support/scripted_operator.h"
#include "unit/conversions.h"
#include "unit/modbus_link.h"
#include "unit/register_map.h"

namespace endcap {
namespace {

class StationSimulatorTest : public ::testing::Test {
protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(simulator_.Start(error)) << error;
    ports_.Set(1, simulator_.devicePath());
  }
  bool ReadUnitSerial(std::string& serial) {
    uint16_t r[2];
    if (!link_.ReadInputRegisters(reg::kUnitSerial, 2, r, 1)) return false;
    serial = SerialFromRegisters(r[0], r[1]);
    return true;
  }

  StationSimulator simulator_;
  PortMap ports_;
  TermiosPortProvider provider_{ports_};
  SystemClock clock_;
  SerialPort port_{provider_, clock_};
  testing::ScriptedOperator op_;
  ModbusLink link_{port_, op_};
};

TEST_F(StationSimulatorTest, ServesAFactoryBoardOnComOne) {
  ASSERT_TRUE(port_.OpenOnPort(1)) << port_.lastError().reason;
  std::string serial;
  ASSERT_TRUE(ReadUnitSerial(serial));
  EXPECT_EQ(serial, "123456-007");
}

TEST_F(StationSimulatorTest, TheLinkFollowsTheLineWhenTheBenchReplugsIt) {
  ASSERT_TRUE(port_.OpenOnPort(1)) << port_.lastError().reason;
  std::string serial;
  ASSERT_TRUE(ReadUnitSerial(serial));
  simulator_.line().HangUp();
  EXPECT_FALSE(ReadUnitSerial(serial));
  EXPECT_FALSE(port_.isOpen);
  std::string detail;
  ASSERT_TRUE(simulator_.line().Replug(detail)) << detail;
  ASSERT_TRUE(ReadUnitSerial(serial)) << port_.lastError().reason;
  EXPECT_EQ(serial, "123456-007");
}

TEST(StationSimulator, LeavesNothingBehind) {
  std::filesystem::path link;
  {
    StationSimulator simulator;
    std::string error;
    ASSERT_TRUE(simulator.Start(error)) << error;
    link = simulator.devicePath();
    EXPECT_TRUE(std::filesystem::is_symlink(link));
  }
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
  EXPECT_FALSE(std::filesystem::exists(link.parent_path()));
}

}  // namespace
}  // namespace endcap
