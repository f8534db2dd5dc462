// The control commands and the board's kept memory.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sim/control_commands.h"
#include "sim/register_names.h"
#include "sim/state_file.h"
#include "tests/sim/memory_bench.h"

namespace endcap::sim::testing {
namespace {

class SimControl : public ::testing::Test {
protected:
  std::string Run(const std::string& command) { return ExecuteCommand(bench.unit, &bench.peer, command); }
  MemoryBench bench;
};

TEST_F(SimControl, BenchCommandsAnswerWhatTheySet) {
  EXPECT_EQ(Run("tilt 12.5"), "ok tilt 12.500");
  EXPECT_EQ(Run("rotation 270"), "ok rotation 270");
  EXPECT_EQ(Run("pressure 1400"), "ok pressure 1400.000 psi");
  EXPECT_EQ(Run("atmosphere 998.5"), "ok atmosphere 998.50 mbar");
  EXPECT_EQ(Run("supply -12 -13.2"), "ok supply -12 -13.200 V");
  EXPECT_EQ(Run("supply +12 11.5"), "ok supply +12 11.500 V");
  EXPECT_EQ(Run("supply ext-12 -10"), "ok supply ext-12 -10.000 V");
  EXPECT_EQ(Run("noise 1.5"), "ok noise 1.500 counts");
  EXPECT_EQ(Run("seed 42"), "ok seed 42");
  EXPECT_EQ(bench.unit.Describe().find("mode=modbus unlocked=no tilt=12.500 rotation=270 pressure=1400.000 "
                                       "atmosphere=998.50"),
            0u);
  EXPECT_DOUBLE_EQ(bench.unit.supplies().boardPlus12, 11.5);
}

TEST_F(SimControl, TiltThenMeasureReportsTheNewPitch) {
  EXPECT_EQ(Run("tilt 5"), "ok tilt 5.000");
  bench.Measure();
  const std::vector<uint16_t> raw = bench.Read(regs::kRawA, 1);
  ASSERT_EQ(raw.size(), 1u);
  EXPECT_EQ(raw[0], QuantiseCount(RawCount(32905.0, 20480.0, 5.0 * 3.14159265358979323846 / 180.0)));
  // Through the factory coefficients, offset 32768 and gain 20000.
  EXPECT_FLOAT_EQ(static_cast<float>(bench.ReadFloat(regs::kPitch)),
                  static_cast<float>(std::asin((raw[0] - 32768.0) / 20000.0)));
}

TEST_F(SimControl, MeasureDelayCommand) {
  EXPECT_EQ(Run("measure-delay 500"), "ok measure-delay 500 ms");
  const uint32_t started = bench.clock.TickCount();
  bench.WriteSingle(reg::kMeasurement, 0);
  bench.clock.Advance(started + 499 - bench.clock.TickCount());
  EXPECT_EQ(bench.Read(reg::kMeasurementReady, 1), std::vector<uint16_t>{0});
}

TEST_F(SimControl, BadArgumentsAreRefused) {
  EXPECT_EQ(Run("rotation 45"), "error usage: rotation 0|90|180|270");
  EXPECT_EQ(Run("tilt"), "error usage: tilt DEGREES");
  EXPECT_EQ(Run("tilt five"), "error usage: tilt DEGREES");
  EXPECT_EQ(Run("atmosphere -3"), "error usage: atmosphere MBAR");
  EXPECT_EQ(Run("noise -1"), "error usage: noise COUNTS");
  EXPECT_EQ(Run("supply 5v 5"), "error usage: supply -12|+12|3.3|ext-12|ext+12 VOLTS");
  EXPECT_EQ(Run("set 300"), "error usage: set REGISTER VALUE");
  EXPECT_EQ(Run("set 12 70000"), "error usage: set REGISTER VALUE");
  EXPECT_EQ(Run("set 23 1"), "error register 23 is not in the map");
  EXPECT_EQ(Run("dump 500"), "error no register of the map from 500 on");
  EXPECT_EQ(Run("fly away"), "error unknown command 'fly' (help lists them)");
  EXPECT_EQ(Run("   "), "error empty command");
  const std::string faultUsage =
      "error usage: fault noreply|badcrc|short|exception|cut|stall|notready|loop [once|always], fault refuse "
      "FIRST[-LAST] [once|always], or fault clear";
  EXPECT_EQ(Run("fault melt"), faultUsage);
  EXPECT_EQ(Run("fault cut sometimes"), faultUsage);
  EXPECT_EQ(Run("fault refuse"), faultUsage);
  EXPECT_EQ(Run("fault refuse 9-8"), faultUsage);
  EXPECT_EQ(Run("fault refuse 400-x"), faultUsage);
}

TEST_F(SimControl, FaultCommandsArmReachTheLineAndClear) {
  EXPECT_EQ(Run("fault short always"), "ok fault short always");
  EXPECT_EQ(Run("fault notready"), "ok fault notready once");
  EXPECT_NE(bench.unit.Describe().find("faults=short:always,notready:once"), std::string::npos);
  EXPECT_EQ(bench.Exchange({0xFA, 0x04, 0x00, 0x02, 0x00, 0x03, 0x04, 0x40}).bytes, (Frame{0xFA, 0x04}));
  EXPECT_EQ(Run("fault clear"), "ok fault clear");
  EXPECT_NE(bench.unit.Describe().find("faults=none"), std::string::npos);
}

TEST_F(SimControl, ARefusedRangeAnswersItsWritesWithExceptionFourAndKeepsItsRegisters) {
  EXPECT_EQ(Run("fault refuse 10-11"), "ok fault refuse 10-11 once");
  EXPECT_NE(bench.unit.Describe().find("faults=refuse10-11:once"), std::string::npos);
  // A write beside the range is taken; the first that overlaps it is refused, the next taken.
  EXPECT_EQ(bench.Transact({0xFA, 0x06, 0x00, 0x0C, 0x00, 0x07}), (Frame{0xFA, 0x06, 0x00, 0x0C, 0x00, 0x07}));
  const Frame unlock = {0xFA, 0x41, 0x16, 0xC3};
  const Frame overlapping = {0xFA, 0x10, 0x00, 0x09, 0x00, 0x02, 0x04, 0x00, 0x01, 0x12, 0x34};
  bench.Transact(unlock);
  EXPECT_EQ(bench.Transact(overlapping), (Frame{0xFA, 0x90, 0x04}));
  EXPECT_EQ(Run("dump 9 2"), "ok 9=0xFFFF 10=0xFFFF");
  bench.Transact(unlock);
  EXPECT_EQ(bench.Transact(overlapping), (Frame{0xFA, 0x10, 0x00, 0x09, 0x00, 0x02}));
  EXPECT_EQ(Run("dump 9 2"), "ok 9=0x0001 10=0x1234");

  EXPECT_EQ(Run("fault refuse 400 always"), "ok fault refuse 400-400 always");
  EXPECT_EQ(bench.Transact({0xFA, 0x06, 0x01, 0x90, 0x00, 0x00}), (Frame{0xFA, 0x86, 0x04}));
  EXPECT_EQ(bench.Transact({0xFA, 0x06, 0x01, 0x90, 0x00, 0x00}), (Frame{0xFA, 0x86, 0x04}));
  EXPECT_EQ(Run("fault clear"), "ok fault clear");
  EXPECT_NE(bench.unit.Describe().find("faults=none"), std::string::npos);
}

TEST_F(SimControl, DumpAndSet) {
  EXPECT_EQ(Run("dump 2 3"), "ok 2=0x0001 3=0x0002 4=0x0061");
  EXPECT_EQ(Run("set 21 0x0012"), "ok 21=0x0012");
  // Unmapped registers are skipped.
  EXPECT_EQ(Run("dump 21 3"), "ok 21=0x0012 22=0xD17F 120=0x4700");
  EXPECT_EQ(Run("dump 0 0"), "error COUNT must be 1 or more");
  EXPECT_EQ(Run("dump 500 2"), "error no register of the map from 500 on");
}

TEST_F(SimControl, StatusAndPowerCycle) {
  Run("tilt 3");
  bench.clock.Advance(kDefaultMeasureDelayMs);
  EXPECT_EQ(Run("status"),
            "ok mode=modbus unlocked=no tilt=3.000 rotation=0 pressure=0.000 atmosphere=1013.25 measurement=ready "
            "gauge=warming faults=none");
  bench.Exchange({0xFA, 0x46, 0x00, 0x00, 0xD1, 0x29});
  EXPECT_EQ(Run("status"),
            "ok mode=bootloader unlocked=no tilt=3.000 rotation=0 pressure=0.000 atmosphere=1013.25 "
            "measurement=ready gauge=measuring faults=none records=0 bad=0");
  EXPECT_EQ(Run("power-cycle"), "ok power-cycle");
  EXPECT_EQ(bench.unit.mode(), UnitMode::Modbus);
}

TEST_F(SimControl, BootLoaderReportsWhatItTookUntilTheNextSwitch) {
  const auto send = [this](const std::string& text) { bench.Exchange(Frame(text.begin(), text.end())); };
  EXPECT_EQ(Run("bootloader"), "ok bootloader mode=modbus lines=0 records=0 bad-checksums=0 bad-lines=0 eof=no");
  bench.Exchange({0xFA, 0x46, 0x00, 0x00, 0xD1, 0x29});
  send(":10010000214601360121470136007EFE09D2190140\r\n");
  send(":10010000214601360121470136007EFE09D2190141\n");
  send("junk\n");
  send(":00000001FF\n");
  EXPECT_EQ(Run("bootloader"), "ok bootloader mode=bootloader lines=4 records=2 bad-checksums=1 bad-lines=1 eof=yes");
  EXPECT_EQ(bench.unit.bootImage().lines.front(), ":10010000214601360121470136007EFE09D2190140");
  // The operator cycles the power: back to Modbus, and the load can still be looked at.
  EXPECT_EQ(Run("power-cycle"), "ok power-cycle");
  EXPECT_EQ(Run("bootloader"), "ok bootloader mode=modbus lines=4 records=2 bad-checksums=1 bad-lines=1 eof=yes");
  bench.Exchange({0xFA, 0x46, 0x00, 0x00, 0xD1, 0x29});
  send(":00000001FF\n");
  send(":10010000214601360121470136007EFE09D2190140\n");
  EXPECT_EQ(Run("bootloader"), "ok bootloader mode=bootloader lines=2 records=2 bad-checksums=0 bad-lines=0 eof=no");
  EXPECT_EQ(Run("bootloader now"), "error usage: bootloader");
}

TEST_F(SimControl, HelpNamesEveryCommand) {
  const std::string names = Run("help");
  for (const char* name : {"tilt", "rotation", "pressure", "atmosphere", "supply", "noise", "seed", "measure-delay",
                           "fault", "hangup", "replug", "power-cycle", "bootloader", "dump", "set", "status"}) {
    EXPECT_NE(names.find(name), std::string::npos) << name;
    EXPECT_NE(std::string(CommandHelp()).find(std::string("  ") + name + " "), std::string::npos) << name;
  }
  VirtualClock clock;
  SimulatedUnit lineless(clock);
  EXPECT_EQ(ExecuteCommand(lineless, nullptr, "hangup"), "error no line to hang up");
  EXPECT_EQ(ExecuteCommand(lineless, nullptr, "replug"), "error no line to plug in");
}

// --- kept memory ---

int ValueIn(const MemoryImage& image, uint16_t reg) {
  for (const auto& [r, v] : image)
    if (r == reg) return v;
  return -1;
}

TEST(SimMemory, TheObserverHearsOfEachChangeOfKeptRegistersOnce) {
  MemoryBench bench;
  int calls = 0;
  MemoryImage last;
  bench.unit.SetMemoryObserver([&](const MemoryImage& image) {
    ++calls;
    last = image;
  });
  bench.WriteMultiple(reg::kUnitSerial, {0x1234, 0x5607});
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(ValueIn(last, reg::kUnitSerial), 0x1234);
  EXPECT_EQ(ValueIn(last, reg::kUnitSerial + 1), 0x5607);
  EXPECT_EQ(ValueIn(last, reg::kRs485Loop), -1);
  // Volatile registers and unchanged values are not news.
  bench.WriteSingle(reg::kRs485Loop, 0x155);
  bench.WriteMultiple(reg::kUnitSerial, {0x1234, 0x5607});
  EXPECT_EQ(calls, 1);
  ExecuteCommand(bench.unit, nullptr, "set 12 7");
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(ValueIn(last, reg::kModbusAddress), 7);
}

TEST(SimMemory, LoadRefusesARegisterTheBoardDoesNotKeep) {
  VirtualClock clock;
  SimulatedUnit unit(clock);
  std::string error;
  EXPECT_FALSE(unit.LoadMemory({{reg::kUnitSerial, 0x1111}, {reg::kRs485Loop, 1}}, error));
  EXPECT_EQ(error, "register 220 is not kept in the board's memory");
  EXPECT_EQ(unit.Register(reg::kUnitSerial), 0xFFFF);
  EXPECT_TRUE(unit.LoadMemory({{reg::kUnitSerial, 0x1111}}, error));
  EXPECT_EQ(unit.Register(reg::kUnitSerial), 0x1111);
}

class SimStateFile : public ::testing::Test {
protected:
  SimStateFile() {
    char pattern[] = "/tmp/endcap-sim-state-XXXXXX";
    if (::mkdtemp(pattern)) folder = pattern;
    path = folder + "/unit.state";
  }
  ~SimStateFile() override { std::filesystem::remove_all(folder); }
  std::string Contents() const {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // The files in the folder besides the state file itself.
  std::vector<std::string> Others() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      if (entry.path() != path) names.push_back(entry.path().filename());
    return names;
  }
  std::string folder;
  std::string path;
  VirtualClock clock;
};

TEST_F(SimStateFile, RoundTripAndMissingFile) {
  MemoryImage image{{1, 1}};
  std::string error;
  EXPECT_TRUE(ReadStateFile(path, image, error));
  EXPECT_TRUE(image.empty());

  SimulatedUnit first(clock);
  first.SetRegister(reg::kBoardSerial, 0x1234);
  ASSERT_TRUE(WriteStateFile(path, first.Memory(), error)) << error;
  ASSERT_TRUE(ReadStateFile(path, image, error)) << error;
  EXPECT_EQ(image, first.Memory());
  SimulatedUnit second(clock);
  ASSERT_TRUE(second.LoadMemory(image, error));
  EXPECT_EQ(second.Register(reg::kBoardSerial), 0x1234);
  EXPECT_EQ(Others(), std::vector<std::string>{});
}

TEST_F(SimStateFile, MalformedAndMiscountedFilesAreRefusedWithTheirLine) {
  const struct {
    const char* text;
    const char* error;
  } rows[] = {
      {"# comment\n10 4660\n11 x\nend 2\n", ":3: expected REGISTER VALUE, found '11 x'"},
      {"10 4660\nend 2\n", ":2: the end line 'end 2' does not count the 1 registers before it"},
      {"10 4660\nend 1\n11 1\n", ":3: a line after the end line ('11 1')"},
      {"10 4660\n", ":2: no end line: the file is incomplete"},
      {"", ":1: no end line: the file is incomplete"},
  };
  for (const auto& row : rows) {
    std::ofstream(path, std::ios::trunc) << row.text;
    MemoryImage image;
    std::string error;
    EXPECT_FALSE(ReadStateFile(path, image, error)) << row.text;
    EXPECT_EQ(error, path + row.error) << row.text;
  }
}

TEST_F(SimStateFile, AFileCutShortAnywhereIsRefused) {
  SimulatedUnit unit(clock);
  unit.SetRegister(reg::kUnitSerial, 0x1234);
  std::string error;
  ASSERT_TRUE(WriteStateFile(path, unit.Memory(), error)) << error;
  const std::string whole = Contents();
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    std::ofstream(path, std::ios::trunc | std::ios::binary) << whole.substr(0, cut);
    MemoryImage image;
    EXPECT_FALSE(ReadStateFile(path, image, error)) << "cut at " << cut << " of " << whole.size();
  }
  std::ofstream(path, std::ios::trunc | std::ios::binary) << whole;
  MemoryImage image;
  EXPECT_TRUE(ReadStateFile(path, image, error)) << error;
}

TEST_F(SimStateFile, ADirectoryIsNotAStateFile) {
  MemoryImage image;
  std::string error;
  EXPECT_FALSE(ReadStateFile(folder, image, error));
  EXPECT_EQ(error, folder + ": Is a directory (not a state file)");
}

TEST_F(SimStateFile, WhereTheMemoryCannotBeKeptIsFoundAtStart) {
  std::string error;
  EXPECT_TRUE(CheckStateFileWritable(path, error)) << error;
  EXPECT_EQ(Others(), std::vector<std::string>{});

  const std::string nowhere = folder + "/missing/unit.state";
  EXPECT_FALSE(CheckStateFileWritable(nowhere, error));
  EXPECT_EQ(error, folder + "/missing: No such file or directory (the state file " + nowhere + " cannot be saved there)");

  std::ofstream(path) << "end 0\n";
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  EXPECT_FALSE(CheckStateFileWritable(path, error));
  EXPECT_EQ(error, path + ": the file is read-only; the memory would not be kept");
  // Nor is it replaced by a save.
  EXPECT_FALSE(WriteStateFile(path, {{10, 1}}, error));
  EXPECT_EQ(Contents(), "end 0\n");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
}

TEST_F(SimStateFile, ASaveKeepsTheFilesModeAndAFailedOneLeavesNothingBehind) {
  std::string error;
  ASSERT_TRUE(WriteStateFile(path, {{10, 1}}, error)) << error;
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(WriteStateFile(path, {{10, 2}}, error)) << error;
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  const std::string saved = Contents();

  // A disk that takes only the first bytes of the new file.
  struct sigaction ignore {}, old {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &old), 0);
  rlimit limits{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limits), 0);
  rlimit small = limits;
  small.rlim_cur = 20;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = WriteStateFile(path, {{10, 3}, {11, 4}}, error);
  ::setrlimit(RLIMIT_FSIZE, &limits);
  ::sigaction(SIGXFSZ, &old, nullptr);
  EXPECT_FALSE(written);
  EXPECT_EQ(error, path + ": File too large");
  EXPECT_EQ(Contents(), saved);
  EXPECT_EQ(Others(), std::vector<std::string>{});
}

}  // namespace
}  // namespace endcap::sim::testing
