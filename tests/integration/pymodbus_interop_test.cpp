// The station's Modbus client against an independent slave: pymodbus, with its own framer,
// CRC and datastore, on a pseudo-terminal. Each frame the station sends must be one that
// pymodbus accepts (its CRC computed by pymodbus matches ours), and each reply pymodbus builds
// must pass our CRC check. The slave reports its verdict on every frame it received.

#include <cstdint>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "serial/clock.h"
#include "serial/port_map.h"
#include "serial/serial_port.h"
#include "serial/termios_device.h"
#include "tests/support/child_process.h"
#include "tests/support/scripted_operator.h"
#include "unit/unit_client.h"

namespace endcap::integration {
namespace {

constexpr int kPort = 3;
// The slave's datastore starts with 0x1000 + k in register k, registers 0 to 499.
constexpr uint16_t First(uint16_t reg) { return static_cast<uint16_t>(0x1000 + reg); }

class PymodbusSlave : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(slave.Start({ENDCAP_PYTHON, ENDCAP_PYMODBUS_SLAVE})) << slave.error();
    const std::optional<std::string> path = slave.ReadLine(15000);
    ASSERT_TRUE(path) << "the pymodbus slave did not print its path (is python3-pymodbus installed?)";
    map.Set(kPort, *path);
    ASSERT_TRUE(port.OpenOnPort(kPort)) << port.lastError().reason;
  }

  // The slave's verdict on the next frame it received, with the frame in hex.
  std::string NextVerdict() {
    const std::optional<std::string> line = slave.ReadLine(5000);
    return line ? *line : "(no verdict)";
  }

  testing::ChildProcess slave;
  PortMap map;
  TermiosPortProvider provider{map};
  SystemClock clock;
  SerialPort port{provider, clock};
  UnitClient client{port};
};

TEST_F(PymodbusSlave, ReadInputRegistersOfThreeFromTwo) {
  uint16_t values[3] = {};
  EXPECT_TRUE(client.ReadInputRegisters(2, 3, values, 2));
  EXPECT_EQ(NextVerdict(), "accepted fa04000200030440");
  EXPECT_EQ(values[0], First(2));
  EXPECT_EQ(values[1], First(3));
  EXPECT_EQ(values[2], First(4));
}

TEST_F(PymodbusSlave, WriteSingleRegisterIsStoredWithItsValueFieldAsSent) {
  uint16_t value = 0;
  EXPECT_TRUE(client.WriteSingleRegister(1, 200, 1));
  EXPECT_EQ(NextVerdict(), "accepted fa0600c80001dc7f");
  EXPECT_TRUE(client.ReadInputRegisters(200, 1, &value, 1));
  EXPECT_EQ(NextVerdict(), "accepted fa0400c80001a5bf");
  EXPECT_EQ(value, 1);

  // Values above 8 go out with a first byte of 1, so the slave stores 0x1AA for 0xAA.
  EXPECT_TRUE(client.WriteSingleRegister(0xAA, 220, 1));
  EXPECT_EQ(NextVerdict(), "accepted fa0600dc01aadc54");
  EXPECT_TRUE(client.ReadInputRegisters(220, 1, &value, 1));
  EXPECT_EQ(NextVerdict(), "accepted fa0400dc0001e5bb");
  EXPECT_EQ(value, 0x1AA);
}

TEST_F(PymodbusSlave, WriteMultipleRegistersSucceedsAfterAnUnlockTheSlaveDoesNotKnow) {
  const uint16_t written[4] = {0x1234, 0x5678, 0x9ABC, 0xDEF0};
  EXPECT_TRUE(client.WriteMultipleRegisters(400, 4, written, 5));
  // pymodbus has no function 65: it drops the unlock unanswered, and the write goes on.
  EXPECT_EQ(NextVerdict(), "rejected fa4116c32ed9");
  EXPECT_EQ(NextVerdict(), "accepted fa100190000408123456789abcdef023cb");

  uint16_t read[4] = {};
  EXPECT_TRUE(client.ReadInputRegisters(400, 4, read, 2));
  EXPECT_EQ(NextVerdict(), "accepted fa0401900004e593");
  for (int k = 0; k < 4; ++k) EXPECT_EQ(read[k], written[k]) << "register " << 400 + k;
}

TEST_F(PymodbusSlave, ExceptionReplyHasAGoodCrcAndFailsTheRead) {
  // Register 1000 lies beyond the slave's datastore: it answers "illegal data address".
  uint8_t frame[UnitClient::kFrameBufferSize] = {0xFA, 0x04, 0x03, 0xE8, 0x00, 0x01};
  const modbus::Reply reply = client.Transact(frame, 6, 8, 1);
  EXPECT_EQ(reply.length(), 3);
  EXPECT_EQ(modbus::DescribeReply(reply), "exception code 2");
  EXPECT_EQ(NextVerdict(), "accepted fa0403e80001a431");
  EXPECT_EQ(frame[0], 0xFA);
  EXPECT_EQ(frame[1], 0x84);
  EXPECT_EQ(frame[2], 0x02);

  uint16_t value = 0x5A5A;
  EXPECT_FALSE(client.ReadInputRegisters(1000, 1, &value, 1));
  EXPECT_EQ(NextVerdict(), "accepted fa0403e80001a431");
}

TEST_F(PymodbusSlave, SlaveDropsAFrameWhoseCrcIsWrong) {
  // The control for every "accepted" above: pymodbus does check the CRC.
  uint8_t frame[32] = {0xFA, 0x04, 0x00, 0x02, 0x00, 0x03, 0x04, 0x41};
  EXPECT_EQ(port.TransactBytes(frame, sizeof frame, 8, 12, 1, 50), 0);
  EXPECT_EQ(NextVerdict(), "rejected fa04000200030441");
}

}  // namespace
}  // namespace endcap::integration
