// The pty server in-process, reached through the station's own termios device.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <memory>
#include <string>

#include "serial/clock.h"
#include "serial/termios_device.h"
#include "sim/control_commands.h"
#include "sim/pty_unit_server.h"

namespace endcap::sim::testing {
namespace {

using Steady = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;

const Bytes kRead{0xFA, 0x04, 0x00, 0x02, 0x00, 0x03, 0x04, 0x40};
const Bytes kGoodReply{0xFA, 0x04, 0x06, 0x00, 0x01, 0x00, 0x02, 0x00, 0x61, 0x4A, 0x4F};

struct TimedReply {
  Bytes bytes;
  double firstByteMs = 0;
  double lastByteMs = 0;
};

// Writes the request and reads until 50 ms of silence after a byte, or 2 s without one.
TimedReply Exchange(SerialDevice& device, const Bytes& request) {
  TimedReply reply;
  const Steady::time_point start = Steady::now();
  EXPECT_TRUE(device.Write(request.data(), request.size()));
  Steady::time_point last = start;
  for (;;) {
    uint8_t byte = 0;
    const ReadStatus status = device.ReadByte(byte, 10);
    const Steady::time_point now = Steady::now();
    const double sinceStart = std::chrono::duration<double, std::milli>(now - start).count();
    if (status == ReadStatus::HungUp) return reply;
    if (status == ReadStatus::Byte) {
      if (reply.bytes.empty()) reply.firstByteMs = sinceStart;
      reply.lastByteMs = sinceStart;
      reply.bytes.push_back(byte);
      last = now;
    } else if (reply.bytes.empty() ? sinceStart > 2000 : now - last > std::chrono::milliseconds(50)) {
      return reply;
    }
  }
}

std::unique_ptr<TermiosDevice> OpenDevice(const std::string& path) {
  SerialError error;
  std::unique_ptr<TermiosDevice> device = TermiosDevice::Open(path, error);
  EXPECT_TRUE(device) << error.reason;
  return device;
}

std::string LinkTarget(const std::string& link) {
  char target[PATH_MAX];
  const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
  return n < 0 ? std::string() : std::string(target, static_cast<size_t>(n));
}

class SimPtyServer : public ::testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/endcap-sim-pty-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir = pattern;
    link = dir + "/unit";
    server = std::make_unique<PtyUnitServer>(unit, link);
  }
  void TearDown() override {
    server.reset();
    ::rmdir(dir.c_str());
  }

  SystemClock clock;
  SimulatedUnit unit{clock};
  std::string dir, link;
  std::unique_ptr<PtyUnitServer> server;
};

TEST_F(SimPtyServer, AnswersOnTheLinkedSlaveAtTheLineRate) {
  const std::string path = server->Start();
  ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << server->lastError();
  EXPECT_EQ(LinkTarget(link), path);
  auto device = OpenDevice(link);
  ASSERT_TRUE(device);
  const TimedReply reply = Exchange(*device, kRead);
  EXPECT_EQ(reply.bytes, kGoodReply);
  // Never sooner than a real line allows: 8 request bytes and the turnaround, then ten byte
  // times to the last byte. (Later is possible on a busy machine, so only the lower bounds hold.)
  EXPECT_GE(reply.firstByteMs, 8 * 1.042 + 2.0);
  EXPECT_GE(reply.lastByteMs, 18 * 1.042 + 2.0);
}

TEST_F(SimPtyServer, ThePtyIsRawBeforeTheStationSetsAnything) {
  ASSERT_FALSE(server->Start().empty()) << server->lastError();
  // Opened with the line discipline's defaults left alone: a cooked pty would turn the line feed
  // into carriage return and line feed on the way in and echo the request back.
  const int fd = ::open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  const Bytes write{0xFA, 0x06, 0x00, 0xDC, 0x0D, 0x0A, 0xD9, 0x2C};
  ASSERT_EQ(::write(fd, write.data(), write.size()), static_cast<ssize_t>(write.size()));
  Bytes reply;
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, reply.empty() ? 2000 : 50) <= 0) break;
    uint8_t byte = 0;
    if (::read(fd, &byte, 1) != 1) break;
    reply.push_back(byte);
  }
  ::close(fd);
  EXPECT_EQ(reply, write);
  EXPECT_EQ(unit.Register(reg::kRs485Loop), 0x0D0A);
}

TEST_F(SimPtyServer, TheStationMayCloseAndOpenAgain) {
  ASSERT_FALSE(server->Start().empty()) << server->lastError();
  for (int round = 0; round < 2; ++round) {
    auto device = OpenDevice(link);
    ASSERT_TRUE(device);
    EXPECT_EQ(Exchange(*device, kRead).bytes, kGoodReply) << round;
  }
}

TEST_F(SimPtyServer, HangUpTakesTheDeviceAwayAndReplugGivesANewOne) {
  const std::string first = server->Start();
  ASSERT_FALSE(first.empty()) << server->lastError();
  auto device = OpenDevice(link);
  ASSERT_TRUE(device);
  EXPECT_EQ(ExecuteCommand(unit, server.get(), "hangup"), "ok hangup");
  uint8_t byte = 0;
  EXPECT_EQ(device->ReadByte(byte, 100), ReadStatus::HungUp);
  device.reset();

  const std::string answer = ExecuteCommand(unit, server.get(), "replug");
  ASSERT_EQ(answer.rfind("ok replug /dev/pts/", 0), 0u) << answer;
  const std::string second = answer.substr(std::string("ok replug ").size());
  EXPECT_EQ(LinkTarget(link), second);
  auto again = OpenDevice(link);
  ASSERT_TRUE(again);
  EXPECT_EQ(Exchange(*again, kRead).bytes, kGoodReply);
}

TEST_F(SimPtyServer, StopRemovesTheLinkAndClosesTheDevice) {
  ASSERT_FALSE(server->Start().empty()) << server->lastError();
  auto device = OpenDevice(link);
  ASSERT_TRUE(device);
  server->Stop();
  EXPECT_NE(::access(link.c_str(), F_OK), 0);
  uint8_t byte = 0;
  EXPECT_EQ(device->ReadByte(byte, 100), ReadStatus::HungUp);
  server->Stop();
}

}  // namespace
}  // namespace endcap::sim::testing
