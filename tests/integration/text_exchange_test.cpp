// The text exchange of the boot-loader dialogue on a real pseudo-terminal: a reply ends at its
// line feed and not before, the caller's buffer is never overrun, and a time-out of 0 only
// sends.

#include <chrono>
#include <cstring>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "tests/integration/station_on_pty.h"

namespace endcap::integration {
namespace {

using namespace std::chrono_literals;

std::string AsText(const Received& got) { return std::string(got.bytes.begin(), got.bytes.end()); }

struct FarEnd {
  std::string command;
  Steady::time_point lineFeedSent{};
};

TEST_F(StationOnPty, TextReplyEndsAsSoonAsItsLineFeedArrives) {
  const std::string command = ":020000040000FA\r\n";
  char buffer[100];
  std::strcpy(buffer, command.c_str());
  // The reply comes in pieces; neither the pause before its line feed nor the text after it
  // may change what is returned.
  auto far = std::async(std::launch::async, [this, &command] {
    FarEnd f;
    f.command = AsText(ReadFromStation(pty.master(), command.size(), 3000));
    WriteToStation(pty.master(), std::string("ACK"));
    std::this_thread::sleep_for(100ms);
    f.lineFeedSent = WriteToStation(pty.master(), std::string("\n"));
    std::this_thread::sleep_for(100ms);
    WriteToStation(pty.master(), std::string("NEXT\n"));
    return f;
  });
  const bool found = port.TransactText(buffer, sizeof buffer, 2);
  const auto returned = Steady::now();
  const FarEnd f = far.get();

  EXPECT_EQ(f.command, command);
  EXPECT_TRUE(found);
  EXPECT_STREQ(buffer, "ACK\n");
  EXPECT_LT(MsBetween(f.lineFeedSent, returned), 30.0);
}

TEST_F(StationOnPty, TextReplyLongerThanTheBufferIsCutToItsCapacity) {
  // Exactly 100 bytes on the heap, so that AddressSanitizer reports any byte stored beyond.
  constexpr size_t kCapacity = 100;
  std::unique_ptr<char[]> buffer(new char[kCapacity]);
  const std::string command = "DUMP\r\n";
  std::strcpy(buffer.get(), command.c_str());
  std::string line;
  for (int i = 0; i < 299; ++i) line.push_back(static_cast<char>('A' + i % 26));
  line.push_back('\n');
  auto far = std::async(std::launch::async, [this, &command, &line] {
    const std::string got = AsText(ReadFromStation(pty.master(), command.size(), 3000));
    WriteToStation(pty.master(), line);
    return got;
  });
  const bool found = port.TransactText(buffer.get(), kCapacity, 2);

  EXPECT_EQ(far.get(), command);
  EXPECT_TRUE(found);
  EXPECT_EQ(std::strlen(buffer.get()), kCapacity - 1);
  EXPECT_EQ(std::string(buffer.get()), line.substr(0, kCapacity - 1));
}

TEST_F(StationOnPty, TextTimeOutZeroSendsAndReturnsAtOnceWithTheBufferUntouched) {
  const std::string command = "PING\n";
  char buffer[64];
  std::memset(buffer, 0x5A, sizeof buffer);
  std::strcpy(buffer, command.c_str());
  char before[sizeof buffer];
  std::memcpy(before, buffer, sizeof buffer);
  const auto start = Steady::now();
  const bool result = port.TransactText(buffer, sizeof buffer, 0);
  const double elapsed = MsBetween(start, Steady::now());
  const Received got = ReadFromStation(pty.master(), command.size(), 3000);

  EXPECT_TRUE(result);
  EXPECT_EQ(std::memcmp(buffer, before, sizeof buffer), 0);
  EXPECT_EQ(AsText(got), command);
  // Only the 20 + 20 ms around the purge (each up to 1 ms short on a whole-millisecond tick).
  EXPECT_GT(elapsed, 38.0);
  EXPECT_LT(elapsed, 70.0);
}

}  // namespace
}  // namespace endcap::integration
