// The simulator's input cut into command lines, whatever the chunks it arrives in.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/control_lines.h"

namespace endcap::sim {
namespace {

std::vector<std::string> Cut(const std::string& input, size_t chunk, bool finish) {
  ControlLines lines;
  std::vector<std::string> got;
  const auto onLine = [&got](const std::string& line) { got.push_back(line); };
  for (size_t at = 0; at < input.size(); at += chunk) lines.Feed(input.data() + at, std::min(chunk, input.size() - at), onLine);
  if (finish) lines.Finish(onLine);
  return got;
}

TEST(ControlLines, LinesAreTheSameWhateverTheChunks) {
  const std::string input = "tilt 5\r\nrotation 90\n\nstatus";
  for (size_t chunk : {1u, 2u, 3u, 7u, 512u}) {
    EXPECT_EQ(Cut(input, chunk, false), (std::vector<std::string>{"tilt 5", "rotation 90", ""})) << chunk;
    EXPECT_EQ(Cut(input, chunk, true), (std::vector<std::string>{"tilt 5", "rotation 90", "", "status"})) << chunk;
  }
}

TEST(ControlLines, AVeryLongLineArrivesWhole) {
  const std::string longLine(4 << 20, 'x');
  const auto got = Cut(longLine + "\nstatus\n", 4096, true);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].size(), longLine.size());
  EXPECT_EQ(got[1], "status");
}

}  // namespace
}  // namespace endcap::sim
