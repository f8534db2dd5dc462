// The trace: a note repeated word for word is written once with a count, and a trace that
// cannot be written says so once and stops without stopping the program.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "serial/line_trace.h"

namespace endcap {
namespace {

// What a trace wrote to memory, read once it is gone.
class MemoryStream {
public:
  MemoryStream() : stream_(open_memstream(&data_, &size_)) {}
  ~MemoryStream() {
    if (stream_) std::fclose(stream_);
    std::free(data_);
  }
  std::FILE* stream() { return stream_; }
  std::string Text() {
    std::fflush(stream_);
    return std::string(data_, size_);
  }

private:
  char* data_ = nullptr;
  size_t size_ = 0;
  std::FILE* stream_;
};

TEST(LineTrace, ARepeatedNoteIsWrittenOnceWithTheCountOfItsRepeats) {
  VirtualClock clock(5000);
  MemoryStream out;
  {
    LineTrace trace(out.stream(), clock, nullptr);
    trace.Note("COM1 not opened: /dev/ttyUSB0: No such file or directory");
    for (int i = 0; i < 4; ++i) {
      clock.Advance(250);
      trace.Note("COM1 not opened: /dev/ttyUSB0: No such file or directory");
    }
    trace.Note("opened COM1");
    const uint8_t frame[] = {0xfa, 0x04};
    trace.Bytes(">>", frame, sizeof frame);
    clock.Advance(10);
    trace.Note("COM1 not opened: x");
    clock.Advance(10);
    trace.Note("COM1 not opened: x");
  }
  EXPECT_EQ(out.Text(),
            "     0.000 -- COM1 not opened: /dev/ttyUSB0: No such file or directory\n"
            "     1.000 -- (the line above 4 more times)\n"
            "     1.000 -- opened COM1\n"
            "     1.000 >> fa 04\n"
            "     1.010 -- COM1 not opened: x\n"
            "     1.020 -- (the line above 1 more time)\n");
}

TEST(LineTrace, AFullDiskIsReportedOnceAndTheTraceStops) {
  std::FILE* full = std::fopen("/dev/full", "w");
  if (!full) GTEST_SKIP() << "no /dev/full";
  VirtualClock clock;
  std::vector<std::string> said;
  LineTrace trace(full, clock, [&said](const std::string& reason) { said.push_back(reason); });
  trace.Note("opened COM1");
  const uint8_t frame[] = {0xfa};
  trace.Bytes(">>", frame, sizeof frame);
  trace.Text("<<", "OK\r\n");
  std::fclose(full);
  EXPECT_TRUE(trace.failed());
  EXPECT_EQ(said, std::vector<std::string>{"No space left on device"});
}

}  // namespace
}  // namespace endcap
