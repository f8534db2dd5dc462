// Timings of the byte exchange and of the Modbus transaction on a real pseudo-terminal with the
// real clock: how a reply ends (silence, expected count, time-out), the pauses and the purge
// before a request, and that a pause sleeps rather than spins. The far end is scripted from a
// thread so that each timing is known exactly; bounds leave room for a loaded two-core machine.

#include <sys/resource.h>

#include <chrono>
#include <cstring>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/integration/station_on_pty.h"
#include "unit/unit_client.h"

namespace endcap::integration {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;

// A reply ends once more than 50 ms have passed since its last byte. The one-byte read waits
// 10 ms, so that is seen up to ~11 ms late; the rest of the allowance is scheduling on a busy
// machine.
constexpr double kSilenceMs = 50.0;
constexpr double kSilenceLateMs = 80.0;

struct FarEnd {
  Received request;
  Steady::time_point lastSent{};
};

TEST_F(StationOnPty, SilenceEndsTheReplyJustOverFiftyMsAfterItsLastByte) {
  uint8_t buffer[64] = {0x11, 0x22, 0x33};
  // Gaps of 20 ms between reply bytes are shorter than the silence and must not end the reply.
  auto far = std::async(std::launch::async, [this] {
    FarEnd f;
    f.request = ReadFromStation(pty.master(), 3, 3000);
    WriteToStation(pty.master(), Bytes{0xA1});
    std::this_thread::sleep_for(20ms);
    WriteToStation(pty.master(), Bytes{0xA2});
    std::this_thread::sleep_for(20ms);
    f.lastSent = WriteToStation(pty.master(), Bytes{0xA3});
    return f;
  });
  const int32_t n = port.TransactBytes(buffer, sizeof buffer, 3, 20, 2, 50);
  const auto returned = Steady::now();
  const FarEnd f = far.get();

  EXPECT_EQ(f.request.bytes, (Bytes{0x11, 0x22, 0x33}));
  ASSERT_EQ(n, 3);
  EXPECT_EQ(Bytes(buffer, buffer + 3), (Bytes{0xA1, 0xA2, 0xA3}));
  const double silence = MsBetween(f.lastSent, returned);
  RecordProperty("silence_ms", std::to_string(silence));
  EXPECT_GT(silence, kSilenceMs);
  EXPECT_LT(silence, kSilenceLateMs);
}

TEST_F(StationOnPty, NoReplyEndsOnlyAtTheTimeOutBetweenOneAndTwoSeconds) {
  uint8_t buffer[64] = {1, 2, 3, 4, 5, 6, 7, 8};
  auto far = std::async(std::launch::async, [this] { return ReadFromStation(pty.master(), 8, 3000); });
  const auto start = Steady::now();
  const int32_t n = port.TransactBytes(buffer, sizeof buffer, 8, 20, 1, 50);
  const double elapsed = MsBetween(start, Steady::now());
  RecordProperty("elapsed_ms", std::to_string(elapsed));

  EXPECT_EQ(far.get().bytes, (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(n, 0);
  // Reading starts after the two 20 ms pauses (each up to 1 ms short on a whole-millisecond
  // tick); the whole-second date-time clock then ends it more than 1 and at most 2 s later.
  EXPECT_GT(elapsed, 1000.0 + 38.0);
  EXPECT_LT(elapsed, 2000.0 + 40.0 + 60.0);
}

TEST_F(StationOnPty, ExpectedNineStopsPromptlyAtTheTenthByteOfABurst) {
  uint8_t buffer[64];
  std::memset(buffer, 0xEE, sizeof buffer);
  const Bytes request{0xFA, 0x04, 0x00, 0x02, 0x00, 0x03, 0x04, 0x40};
  std::memcpy(buffer, request.data(), request.size());
  const Bytes burst{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  auto far = std::async(std::launch::async, [this, &burst] {
    FarEnd f;
    f.request = ReadFromStation(pty.master(), 8, 3000);
    f.lastSent = WriteToStation(pty.master(), burst);
    return f;
  });
  const int32_t n = port.TransactBytes(buffer, sizeof buffer, 8, 9, 2, 50);
  const auto returned = Steady::now();
  const FarEnd f = far.get();

  EXPECT_EQ(f.request.bytes, request);
  ASSERT_EQ(n, 10);
  EXPECT_EQ(Bytes(buffer, buffer + 10), Bytes(burst.begin(), burst.begin() + 10));
  // The two bytes beyond the tenth were never stored.
  EXPECT_EQ(buffer[10], 0xEE);
  EXPECT_EQ(buffer[11], 0xEE);
  // The count ends it, long before 50 ms of silence would.
  const double afterBurst = MsBetween(f.lastSent, returned);
  RecordProperty("after_burst_ms", std::to_string(afterBurst));
  EXPECT_LT(afterBurst, 30.0);
}

TEST_F(StationOnPty, TransactWritesOnlyAfterItsPausesAndPurgesWhatCameBefore) {
  UnitClient client{port};
  // Stale bytes already waiting at the station: the purge must drop them, or they would lead
  // the reply and spoil its CRC.
  WriteToStation(pty.master(), Bytes{0x55, 0x55, 0x55});
  const Bytes reply{0xFA, 0x04, 0x06, 0x10, 0x02, 0x10, 0x03, 0x10, 0x04, 0x94, 0x34};
  auto far = std::async(std::launch::async, [this, &reply] {
    FarEnd f;
    f.request = ReadFromStation(pty.master(), 8, 3000);
    f.lastSent = WriteToStation(pty.master(), reply);
    return f;
  });
  uint8_t frame[UnitClient::kFrameBufferSize] = {0xFA, 0x04, 0x00, 0x02, 0x00, 0x03};
  const auto start = Steady::now();
  const modbus::Reply answer = client.Transact(frame, 6, 12, 2);
  const FarEnd f = far.get();

  // The first byte the far end ever sees is the request's, and it comes 100 + 20 + 20 ms after
  // the call (each pause up to 1 ms short on a whole-millisecond tick).
  ASSERT_EQ(f.request.bytes, (Bytes{0xFA, 0x04, 0x00, 0x02, 0x00, 0x03, 0x04, 0x40}));
  const double beforeRequest = MsBetween(start, f.request.first);
  RecordProperty("before_request_ms", std::to_string(beforeRequest));
  EXPECT_GT(beforeRequest, 137.0);
  EXPECT_LT(beforeRequest, 180.0);
  ASSERT_TRUE(answer.ok());
  ASSERT_EQ(answer.length(), 9);
  EXPECT_EQ(Bytes(frame, frame + 11), reply);
}

TEST(SystemClockPause, TwoHundredMillisecondsSleepRatherThanSpin) {
  PortMap map;
  TermiosPortProvider provider(map);
  SystemClock clock;
  SerialPort port(provider, clock);
  rusage before{};
  rusage after{};
  ASSERT_EQ(getrusage(RUSAGE_THREAD, &before), 0);
  const auto start = Steady::now();
  port.WaitMilliseconds(200);
  const double wallMs = MsBetween(start, Steady::now());
  ASSERT_EQ(getrusage(RUSAGE_THREAD, &after), 0);
  const auto cpuUs = [](const rusage& r) {
    return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1e6 + r.ru_utime.tv_usec + r.ru_stime.tv_usec;
  };
  const double cpuMs = (cpuUs(after) - cpuUs(before)) / 1000.0;
  RecordProperty("wall_ms", std::to_string(wallMs));
  RecordProperty("cpu_ms", std::to_string(cpuMs));

  // A pause that starts late in a millisecond of the tick counter may be up to 1 ms short.
  EXPECT_GE(wallMs, 199.0);
  EXPECT_LE(wallMs, 215.0);
  EXPECT_LT(cpuMs, 5.0);
}

}  // namespace
}  // namespace endcap::integration
