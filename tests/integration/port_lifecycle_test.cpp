// Opening, holding, losing and reopening a real device: a held port refuses a second opener,
// a vanished device closes the port and the next exchange opens the device that took its
// place, and failed opens carry the system's reason.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include <gtest/gtest.h>

#include "serial/clock.h"
#include "serial/port_map.h"
#include "serial/serial_port.h"
#include "serial/termios_device.h"
#include "tests/integration/pty_pair.h"
#include "tests/support/temp_dir.h"
#include "unit/unit_client.h"

namespace endcap::integration {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr int kPort = 7;

// One byte exchange on port, answered from the far end on master; both directions arrive whole.
void ExpectEcho(SerialPort& port, int master) {
  auto far = std::async(std::launch::async, [master] {
    const Received got = ReadFromStation(master, 2, 3000);
    WriteToStation(master, Bytes{0xC1, 0xC2, 0xC3});
    return got.bytes;
  });
  uint8_t buffer[16] = {0x01, 0x02};
  const int32_t n = port.TransactBytes(buffer, sizeof buffer, 2, 4, 1, 50);
  EXPECT_EQ(far.get(), (Bytes{0x01, 0x02}));
  ASSERT_EQ(n, 3);
  EXPECT_EQ(Bytes(buffer, buffer + 3), (Bytes{0xC1, 0xC2, 0xC3}));
}

TEST(HeldPort, SecondOpenerIsRefusedAsBusyAndTheFirstKeepsWorking) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok()) << pty.error();
  PortMap map;
  map.Set(kPort, pty.slavePath());
  TermiosPortProvider provider(map);
  SystemClock clock;
  auto first = std::make_unique<SerialPort>(provider, clock);
  ASSERT_TRUE(first->OpenOnPort(kPort)) << first->lastError().reason;

  // A pseudo-terminal is held by the lock alone.
  const std::string busyReason = pty.slavePath() + ": in use by another program";
  SerialPort second(provider, clock);
  EXPECT_FALSE(second.OpenOnPort(kPort));
  EXPECT_FALSE(second.isOpen);
  EXPECT_EQ(second.lastError().code, SerialErrorCode::Busy);
  EXPECT_EQ(second.lastError().reason, busyReason);

  SerialError direct;
  EXPECT_EQ(TermiosDevice::Open(pty.slavePath(), direct), nullptr);
  EXPECT_EQ(direct.code, SerialErrorCode::Busy);
  EXPECT_EQ(direct.reason, busyReason);

  ExpectEcho(*first, pty.master());
  EXPECT_TRUE(first->isOpen);

  // The hold ends with the port: then the second opener gets it.
  first.reset();
  EXPECT_TRUE(second.OpenOnPort(kPort)) << second.lastError().reason;
  EXPECT_EQ(second.lastError().code, SerialErrorCode::None);
  ExpectEcho(second, pty.master());
}

TEST(DeviceReplug, HangUpClosesThePortAndTheNextExchangeOpensTheNewDevice) {
  testing::TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  // The COM port is mapped to a stable link, as to /dev/serial/by-id/..., re-pointed when the
  // converter comes back as another device.
  const std::string linkPath = dir.path() + "/ttyUSB-endcap";
  auto gone = std::make_unique<PtyPair>();
  ASSERT_TRUE(gone->ok()) << gone->error();
  ASSERT_EQ(::symlink(gone->slavePath().c_str(), linkPath.c_str()), 0) << std::strerror(errno);
  PortMap map;
  map.Set(kPort, linkPath);
  TermiosPortProvider provider(map);
  SystemClock clock;
  SerialPort port(provider, clock);
  UnitClient client{port};
  ASSERT_TRUE(port.OpenOnPort(kPort)) << port.lastError().reason;

  gone->CloseMaster();
  uint16_t values[3] = {0xDEAD, 0xDEAD, 0xDEAD};
  const auto start = Steady::now();
  EXPECT_FALSE(client.ReadInputRegisters(2, 3, values, 1));
  // The hang-up ends the exchange at once; it does not wait for the time-out.
  EXPECT_LT(MsBetween(start, Steady::now()), 600.0);
  EXPECT_FALSE(port.isOpen);
  EXPECT_EQ(port.lastError().code, SerialErrorCode::HungUp);
  EXPECT_EQ(port.lastError().reason, "COM7: the device was unplugged");
  EXPECT_EQ(values[0], 0xDEAD);

  PtyPair back;
  ASSERT_TRUE(back.ok()) << back.error();
  ASSERT_EQ(::unlink(linkPath.c_str()), 0);
  ASSERT_EQ(::symlink(back.slavePath().c_str(), linkPath.c_str()), 0) << std::strerror(errno);
  auto far = std::async(std::launch::async, [&back] {
    const Received got = ReadFromStation(back.master(), 8, 3000);
    WriteToStation(back.master(), Bytes{0xFA, 0x04, 0x06, 0x10, 0x02, 0x10, 0x03, 0x10, 0x04, 0x94, 0x34});
    return got.bytes;
  });
  EXPECT_TRUE(client.ReadInputRegisters(2, 3, values, 2));
  EXPECT_EQ(far.get(), (Bytes{0xFA, 0x04, 0x00, 0x02, 0x00, 0x03, 0x04, 0x40}));
  EXPECT_TRUE(port.isOpen);
  EXPECT_EQ(port.lastError().code, SerialErrorCode::None);
  EXPECT_EQ(values[0], 0x1002);
  EXPECT_EQ(values[1], 0x1003);
  EXPECT_EQ(values[2], 0x1004);
}

// Opening COM7 mapped to path fails as NotOpened, with the system's reason for err.
void ExpectNotOpened(const std::string& path, int err) {
  PortMap map;
  map.Set(kPort, path);
  TermiosPortProvider provider(map);
  SystemClock clock;
  SerialPort port(provider, clock);
  EXPECT_FALSE(port.OpenOnPort(kPort));
  EXPECT_FALSE(port.isOpen);
  EXPECT_EQ(port.lastError().code, SerialErrorCode::NotOpened);
  EXPECT_EQ(port.lastError().reason, path + ": " + std::strerror(err));
}

TEST(PortOpenFailure, MissingDeviceIsNotOpenedAndTheReasonIsTheSystems) {
  testing::TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  const std::string path = dir.path() + "/ttyUSB9";
  ExpectNotOpened(path, ENOENT);
}

TEST(PortOpenFailure, DeviceWithoutPermissionIsNotOpenedAndTheReasonIsTheSystems) {
  if (geteuid() == 0) GTEST_SKIP() << "running as root, which opens a mode-000 device regardless of its permissions";
  testing::TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  const std::string path = dir.path() + "/ttyS9";
  const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0);
  ASSERT_GE(fd, 0) << std::strerror(errno);
  ::close(fd);
  ExpectNotOpened(path, EACCES);
}

}  // namespace
}  // namespace endcap::integration
