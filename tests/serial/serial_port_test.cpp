// SerialPort on the in-memory line and the virtual clock: opening rules, the pauses and purge,
// the end conditions of both exchanges, and what a hang-up does.

#include <gtest/gtest.h>

#include <cstring>

#include "serial/memory_device.h"
#include "serial/serial_port.h"
#include "tests/support/scripted_peer.h"

namespace endcap {
namespace {

using testing::Hex;
using testing::ScriptedPeer;

class SerialPortTest : public ::testing::Test {
protected:
  SerialPortTest() { ports.Attach(1, line); }
  VirtualClock clock{1000};
  MemoryLine line{clock};
  MemoryPortProvider ports;
  SerialPort port{ports, clock};
  ScriptedPeer peer{line};
};

TEST_F(SerialPortTest, OpenWhileOpenDoesNothingEvenAfterPortNumberChanged) {
  ASSERT_TRUE(port.OpenOnPort(1));
  port.portNumber = 7;
  EXPECT_TRUE(port.Open());
  EXPECT_EQ(ports.openCount(), 1);
}

TEST_F(SerialPortTest, PortNumberZeroFailsWithoutTouchingAnyDevice) {
  EXPECT_FALSE(port.Open());
  EXPECT_EQ(ports.openCount(), 0);
  EXPECT_EQ(port.lastError().code, SerialErrorCode::IllegalPortNumber);
}

TEST_F(SerialPortTest, MissingPortFailsAndStaysClosed) {
  EXPECT_FALSE(port.OpenOnPort(3));
  EXPECT_FALSE(port.isOpen);
  EXPECT_EQ(port.lastError().code, SerialErrorCode::NotOpened);
  EXPECT_EQ(port.lastError().reason, "COM3: No such device");
}

TEST_F(SerialPortTest, BusyPortIsRefusedWithItsReason) {
  SerialPort other(ports, clock);
  ASSERT_TRUE(other.OpenOnPort(1));
  EXPECT_FALSE(port.OpenOnPort(1));
  EXPECT_EQ(port.lastError().code, SerialErrorCode::Busy);
}

TEST_F(SerialPortTest, OpenOnPortForces9600) {
  ASSERT_TRUE(port.OpenOnPort(1));
  EXPECT_EQ(line.baudRate(), 9600);
  EXPECT_EQ(port.baudRate, 9600);
}

TEST_F(SerialPortTest, SetBaudRateFromText) {
  EXPECT_FALSE(port.SetBaudRateFromText("Config(9600,8,N,1)"));
  ASSERT_TRUE(port.OpenOnPort(1));
  EXPECT_TRUE(port.SetBaudRateFromText("38400"));
  EXPECT_EQ(line.baudRate(), 38400);
  EXPECT_FALSE(port.SetBaudRateFromText("Config(fast)"));
  EXPECT_EQ(line.baudRate(), 38400);
  EXPECT_TRUE(port.SetBaudRateFromText("Config(9600,8,N,1)"));
  EXPECT_EQ(line.baudRate(), 9600);
  // Several rates: the last of the fixed search order wins, not the last in the text.
  EXPECT_TRUE(port.SetBaudRateFromText("115200 then 19200"));
  EXPECT_EQ(line.baudRate(), 115200);
}

TEST(WaitMilliseconds, WaitsTheFullTimeAcrossTheTickWrap) {
  for (uint32_t start : {0xFFFFFFFFu - 3, 0xFFFFFFFFu, 0u, 5000u}) {
    VirtualClock clock(start);
    MemoryPortProvider none;
    SerialPort port(none, clock);
    port.WaitMilliseconds(200);
    EXPECT_EQ(clock.ElapsedMs(), 200u) << "start tick " << start;
  }
}

// A clock whose sleeps overshoot, as a loaded machine's do.
class OvershootingClock : public VirtualClock {
public:
  OvershootingClock(uint32_t start, uint32_t overshootMs) : VirtualClock(start), overshootMs_(overshootMs) {}
  void Sleep(uint32_t ms) override { Advance(static_cast<uint64_t>(ms) + overshootMs_); }

private:
  uint32_t overshootMs_;
};

TEST(WaitMilliseconds, APauseEndingJustBeforeTheWrapIsNotStretchedByAnOvershootingSleep) {
  // The end of each pause lies 1 or 2 ms below the wrap; the sleep carries the tick past it.
  for (uint32_t start : {0xFFFFFFFFu - 200, 0xFFFFFFFFu - 201, 0xFFFFFFFFu - 199}) {
    OvershootingClock clock(start, 2);
    MemoryPortProvider none;
    SerialPort port(none, clock);
    port.WaitMilliseconds(199);
    EXPECT_GE(clock.ElapsedMs(), 199u) << "start tick " << start;
    EXPECT_LE(clock.ElapsedMs(), 201u) << "start tick " << start;
  }
}

TEST_F(SerialPortTest, TransactTextWithTimeOutZeroWritesAndLeavesBufferAlone) {
  ASSERT_TRUE(port.OpenOnPort(1));
  char buffer[100] = ":10000000\r\n";
  EXPECT_TRUE(port.TransactText(buffer, sizeof buffer, 0));
  EXPECT_STREQ(buffer, ":10000000\r\n");
  ASSERT_EQ(peer.received().size(), 1u);
  EXPECT_EQ(std::string(peer.received()[0].begin(), peer.received()[0].end()), ":10000000\r\n");
}

TEST_F(SerialPortTest, TransactTextReturnsAtTheLineFeed) {
  ASSERT_TRUE(port.OpenOnPort(1));
  const std::string reply = "OK\r\n";
  peer.Queue(std::vector<uint8_t>(reply.begin(), reply.end()), 30);
  peer.Queue({'x'});  // never read: the exchange stops at the line feed
  char buffer[100] = "line\r\n";
  const uint64_t before = clock.ElapsedMs();
  EXPECT_TRUE(port.TransactText(buffer, sizeof buffer, 5));
  EXPECT_STREQ(buffer, "OK\r\n");
  EXPECT_LT(clock.ElapsedMs() - before, 200u);
}

TEST_F(SerialPortTest, TransactTextNeverStoresMoreThanTheBufferHolds) {
  ASSERT_TRUE(port.OpenOnPort(1));
  std::vector<uint8_t> longLine(300, 'A');
  longLine.push_back('\n');
  peer.Queue(longLine);
  char buffer[101];
  std::memset(buffer, 'Z', sizeof buffer);
  std::strcpy(buffer, "cmd");
  EXPECT_TRUE(port.TransactText(buffer, 100, 2));
  EXPECT_EQ(std::strlen(buffer), 99u);
  EXPECT_EQ(buffer[100], 'Z');
}

TEST_F(SerialPortTest, TransactTextWithNegativeTimeOutCollectsTheWholePeriod) {
  ASSERT_TRUE(port.OpenOnPort(1));
  peer.Queue({'a', '\n', 'b'});
  char buffer[100] = "x";
  const int64_t start = clock.WholeSeconds();
  EXPECT_FALSE(port.TransactText(buffer, sizeof buffer, -2));
  EXPECT_STREQ(buffer, "a\nb");
  EXPECT_EQ(clock.WholeSeconds() - start, 3);
}

TEST_F(SerialPortTest, TransactBytesPausesAndPurgesBeforeWriting) {
  ASSERT_TRUE(port.OpenOnPort(1));
  line.Send({0x11, 0x22}, 0);  // stale bytes waiting on the line: purged
  uint8_t buffer[500] = {1, 2, 3};
  const uint32_t called = clock.TickCount();
  port.TransactBytes(buffer, sizeof buffer, 3, 9, 1, 50);
  ASSERT_EQ(peer.receivedAtTick.size(), 1u);
  EXPECT_EQ(peer.receivedAtTick[0] - called, 40u);
  EXPECT_EQ(line.purgeCount(), 1);
}

TEST_F(SerialPortTest, TransactBytesStopsOneByteAfterTheExpectedCount) {
  ASSERT_TRUE(port.OpenOnPort(1));
  peer.Queue(Hex("01 02 03 04 05 06 07 08 09 0a 0b 0c"));
  uint8_t buffer[500] = {0xfa};
  EXPECT_EQ(port.TransactBytes(buffer, sizeof buffer, 1, 9, 1, 50), 10);
  EXPECT_EQ(buffer[9], 0x0a);
}

TEST_F(SerialPortTest, TransactBytesEndsALittleOverTheSilenceAfterTheLastByte) {
  ASSERT_TRUE(port.OpenOnPort(1));
  peer.Queue(Hex("fa 04 06 00 01 00 02 00 03 aa bb"), 10);
  uint8_t buffer[500] = {0xfa};
  const uint32_t start = clock.TickCount();
  EXPECT_EQ(port.TransactBytes(buffer, sizeof buffer, 1, 12, 1, 50), 11);
  // 40 ms of pauses, 10 ms to the first byte, ~10.4 ms of bytes, then more than 50 of silence,
  // seen at its end, not at the end of the 10 ms read in progress.
  const uint32_t lastByte = 40 + 10 + 10;  // the eleventh byte, 10.42 ms after the first
  const uint32_t took = clock.TickCount() - start;
  EXPECT_EQ(took, lastByte + 51);
}

TEST_F(SerialPortTest, TheEndOfAReplyIsSeenWithinAMillisecondOfItsSilenceWhateverTheByteTiming) {
  ASSERT_TRUE(port.OpenOnPort(1));
  // Bytes spaced so that the 10 ms reads fall at every phase of the silence.
  for (uint32_t gapUs : {1042u, 3000u, 7300u, 9999u, 12500u, 49000u}) {
    const uint32_t firstDue = clock.TickCount() + 60;  // after the pauses and the purge
    line.Send(Hex("01 02 03 04 05"), 60, gapUs);
    const uint32_t lastDue = firstDue + 4 * gapUs / 1000;
    uint8_t buffer[500] = {0xfa};
    EXPECT_EQ(port.TransactBytes(buffer, sizeof buffer, 1, 12, 1, 50), 5) << gapUs;
    EXPECT_EQ(clock.TickCount() - lastDue, 51u) << gapUs;
  }
}

TEST_F(SerialPortTest, TransactBytesWithNoReplyEndsOnlyAtTheTimeOut) {
  ASSERT_TRUE(port.OpenOnPort(1));
  uint8_t buffer[500] = {0xfa};
  const uint64_t before = clock.ElapsedMs();
  EXPECT_EQ(port.TransactBytes(buffer, sizeof buffer, 1, 9, 2, 50), 0);
  const uint64_t took = clock.ElapsedMs() - before - 40;
  EXPECT_GE(took, 2000u);
  EXPECT_LE(took, 3010u);
}

TEST_F(SerialPortTest, TransactBytesWithTimeOutZeroWritesOnly) {
  ASSERT_TRUE(port.OpenOnPort(1));
  peer.Queue({0x55});
  uint8_t buffer[500] = {0xfa, 0x46};
  EXPECT_EQ(port.TransactBytes(buffer, sizeof buffer, 2, 9, 0, 50), 1);
  EXPECT_EQ(buffer[0], 0xfa);
}

TEST_F(SerialPortTest, HangUpClosesThePortAndTheNextExchangeReopensIt) {
  ASSERT_TRUE(port.OpenOnPort(1));
  line.HangUp();
  uint8_t buffer[500] = {0xfa};
  EXPECT_EQ(port.TransactBytes(buffer, sizeof buffer, 1, 9, 1, 50), 0);
  EXPECT_FALSE(port.isOpen);
  EXPECT_EQ(port.lastError().code, SerialErrorCode::HungUp);
  // Still unplugged: the next exchange tries to open and fails.
  EXPECT_EQ(port.TransactBytes(buffer, sizeof buffer, 1, 9, 1, 50), 0);
  EXPECT_EQ(port.lastError().code, SerialErrorCode::NotOpened);
  line.Replug();
  peer.Queue({1, 2, 3});
  EXPECT_EQ(port.TransactBytes(buffer, sizeof buffer, 1, 9, 1, 50), 3);
  EXPECT_TRUE(port.isOpen);
}

}  // namespace
}  // namespace endcap
