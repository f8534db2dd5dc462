#include <gtest/gtest.h>

#include "serial/port_map.h"

namespace endcap {
namespace {

TEST(PortMap, DefaultsAndOverrides) {
  PortMap map;
  EXPECT_EQ(map.PathOf(1), "/dev/ttyS0");
  EXPECT_EQ(map.PathOf(4), "/dev/ttyS3");
  EXPECT_EQ(map.PathOf(5), "/dev/ttyUSB0");
  EXPECT_EQ(map.PathOf(8), "/dev/ttyUSB3");
  EXPECT_EQ(map.PathOf(9), "");
  EXPECT_TRUE(map.SetFromOption("3=/dev/serial/by-id/usb-FTDI-if00"));
  EXPECT_EQ(map.PathOf(3), "/dev/serial/by-id/usb-FTDI-if00");
  EXPECT_TRUE(map.SetFromOption("12=/dev/pts/4"));
  EXPECT_EQ(map.PathOf(12), "/dev/pts/4");
}

TEST(PortMap, MalformedOptionsAreRefused) {
  PortMap map;
  for (const char* bad : {"", "=x", "3=", "x=/dev/a", "0=/dev/a", "256=/dev/a", "3/dev/a", "3 =/dev/a"})
    EXPECT_FALSE(map.SetFromOption(bad)) << bad;
  EXPECT_EQ(map.PathOf(3), "/dev/ttyS2");
}

}  // namespace
}  // namespace endcap
