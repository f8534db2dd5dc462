// A device unplugged while the station polls for a measurement: the wait ends with the
// exchange that found it gone, instead of spinning on a port that no longer opens.

#include <sys/resource.h>

#include <future>
#include <vector>

#include <gtest/gtest.h>

#include "tests/integration/station_on_pty.h"
#include "unit/sensor_operations.h"
#include "unit/unit_client.h"

namespace endcap::integration {
namespace {

using Bytes = std::vector<uint8_t>;

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class UnpluggedPoll : public StationOnPty {
protected:
  // Plays the unit until the second poll of the ready register, then goes away.
  std::future<void> UnitThatVanishesMidPoll() {
    return std::async(std::launch::async, [this] {
      const int master = pty.master();
      ReadFromStation(master, 8, 3000);  // start a measurement
      WriteToStation(master, Bytes{0xFA, 0x06, 0x01, 0x2C, 0x00, 0x00, 0x5C, 0x74});
      ReadFromStation(master, 8, 3000);  // first poll: not ready yet
      WriteToStation(master, Bytes{0xFA, 0x04, 0x02, 0x00, 0x00, 0x5C, 0xE4});
      ReadFromStation(master, 8, 3000);  // second poll: unplugged
      pty.CloseMaster();
    });
  }
  UnitClient client{port};
};

TEST_F(UnpluggedPoll, TheMeasurementEndsAtOnceWithoutSpinning) {
  auto unit = UnitThatVanishesMidPoll();
  const double before = CpuSeconds();
  const PitchRollReading reading = ReadPitchRoll(client, true);
  const double spent = CpuSeconds() - before;
  unit.get();
  EXPECT_FALSE(reading.valid);
  EXPECT_FALSE(port.isOpen);
  EXPECT_EQ(port.lastError().reason, "COM7: the device was unplugged");
  // Three exchanges of pauses and reads that sleep; a loop re-opening the vanished device for
  // the poll's 10 s bound spent a core on it.
  EXPECT_LT(spent, 0.5);
}

TEST_F(UnpluggedPoll, ThePressureWaitEndsAtOnceWithoutSpinning) {
  auto unit = std::async(std::launch::async, [this] {
    const int master = pty.master();
    ReadFromStation(master, 8, 3000);
    // Not ready yet: the second value is -1000.
    WriteToStation(master, Bytes{0xFA, 0x04, 0x08, 0x3F, 0x80, 0x00, 0x00, 0xC4, 0x7A, 0x00, 0x00, 0xDC, 0x5F});
    ReadFromStation(master, 8, 3000);
    pty.CloseMaster();
  });
  const double before = CpuSeconds();
  const double first = ReadPressure(client, true, false, 10).psi;
  const double spent = CpuSeconds() - before;
  unit.get();
  // The values of the read that succeeded.
  EXPECT_EQ(first, 1.0);
  EXPECT_FALSE(port.isOpen);
  EXPECT_LT(spent, 0.5);
}

}  // namespace
}  // namespace endcap::integration
