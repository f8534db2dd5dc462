// The production pieces of endcap-cli: the PCB test dialog on a terminal against the simulated
// board (actions and menu), the progress bar as a terminal draws it, and the terminal's file
// choice.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "cli/cli_options.h"
#include "cli/cli_session.h"
#include "cli/pcb_test_runner.h"
#include "cli/progress_meter.h"
#include "cli/terminal_operator.h"
#include "protocol/register_map.h"
#include "serial/memory_device.h"
#include "sim/memory_unit_peer.h"
#include "sim/simulated_unit.h"
#include "tests/support/hex_records.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/temp_dir.h"

namespace endcap {
namespace {

class PcbTerminalTest : public ::testing::Test {
protected:
  PcbTerminalTest() {
    ports.Attach(1, line);
    port.OpenOnPort(1);
    LoadDefaultLimits(limits);
    state.operatorMarker = 1;
  }
  void Run(const std::vector<std::string>& actions, const std::string& answers) {
    std::vector<int> presses;
    for (const std::string& action : actions) presses.push_back(PcbActionId(action));
    in.clear();
    in.str(answers);
    RunPcbTestOnTerminal(dialog, presses, in, out, false);
  }
  bool Printed(const std::string& text) const { return out.str().find(text) != std::string::npos; }
  uint16_t FactoryKind() { return *unit.Register(reg::kCalRecords); }

  VirtualClock clock{0, {2026, 12, 8, 9, 5, 0}};
  MemoryLine line{clock};
  sim::SimulatedUnit unit{clock};
  sim::MemoryUnitPeer peer{line, unit};
  MemoryPortProvider ports;
  SerialPort port{ports, clock};
  std::istringstream in;
  std::ostringstream out;
  TerminalOperator op{in, out, ports};
  UnitClient client{port};
  UnitState state;
  DefaultLimits limits;
  const std::string operatorId = "AB";
  PcbTestDialog dialog{{client, state, op, limits, operatorId}};
};

TEST_F(PcbTerminalTest, ActionNamesAreTheFiveChecks) {
  EXPECT_EQ(PcbActionId("serial"), ctl::pcb::kSetSerialNumber);
  EXPECT_EQ(PcbActionId("supplies"), ctl::pcb::kCheckSupplyVoltages);
  EXPECT_EQ(PcbActionId("current"), ctl::pcb::kCheckSupplyCurrent);
  EXPECT_EQ(PcbActionId("internal-rs485"), ctl::pcb::kCheckInternalRs485);
  EXPECT_EQ(PcbActionId("rs485-comms"), ctl::pcb::kCheckRs485Comms);
  EXPECT_EQ(PcbActionId("exit"), 0);
  EXPECT_EQ(PcbActionId("Serial"), 0);
}

TEST_F(PcbTerminalTest, EveryActionThenExitStampsAPass) {
  // Every OK box waits for Enter: five in the supply checks, one between the two currents.
  Run({"serial", "supplies", "current", "internal-rs485", "rs485-comms"},
      "123456-7\n" + std::string(5, '\n') + "30\n\n100\n");
  EXPECT_EQ(dialog.run.overallResult, kCheckPassed);
  EXPECT_TRUE(Printed("Board serial number [000000-000]: "));
  EXPECT_TRUE(Printed("=== Remote inclinometer calibrate ===\nOverall result PASS\n"));
  EXPECT_EQ(FactoryKind(), 0);
}

TEST_F(PcbTerminalTest, ActionsThatLeaveACheckNotRunAskAtExit) {
  Run({"internal-rs485"}, "\n\n\ny\n");
  EXPECT_EQ(dialog.run.overallResult, kCheckFailed);
  EXPECT_TRUE(Printed("Not all checks complete!!\nDo you wish to exit?\nYes or no? (y/n) "));
  EXPECT_TRUE(Printed("Overall result !! FAIL !!\n"));
  EXPECT_EQ(FactoryKind(), 0xFFFF);

  // Turned down: the dialog ends without a verdict.
  std::ostringstream().swap(out);
  Run({"internal-rs485"}, "\n\nn\n");
  EXPECT_EQ(dialog.run.overallResult, kCheckNotRun);
  EXPECT_FALSE(Printed("Overall result"));
}

TEST_F(PcbTerminalTest, TheMenuShowsEachResultAndTakesNumbersOrNames) {
  Run({}, "4\n\n\nbogus\nrs485-comms\n" + std::string(4, '\n') + "x\ny\n");
  EXPECT_TRUE(Printed("=== Dialog ===\n"
                      "1  Set serial number       serial          [not run]\n"
                      "2  Check supply voltages   supplies        [not run]\n"
                      "3  Check supply current    current         [not run]\n"
                      "4  Check internal RS485    internal-rs485  [not run]\n"
                      "5  Check RS485 comms       rs485-comms     [not run]\n"
                      "x  Exit\n"
                      "Choice: "));
  EXPECT_TRUE(Printed("4  Check internal RS485    internal-rs485  [passed]\n"
                      "5  Check RS485 comms       rs485-comms     [passed]\n"));
  EXPECT_EQ(dialog.run.internalRs485Result, kCheckPassed);
  EXPECT_EQ(dialog.run.rs485CommsResult, kCheckPassed);
  EXPECT_EQ(dialog.run.overallResult, kCheckFailed);
}

TEST_F(PcbTerminalTest, TheEndOfInputIsExitAndAQuestionThereIsNo) {
  Run({}, "");
  EXPECT_TRUE(Printed("Choice: (end of input: Exit)\n"));
  EXPECT_TRUE(Printed("(end of input: No)\n"));
  EXPECT_EQ(dialog.run.overallResult, kCheckNotRun);
  EXPECT_EQ(FactoryKind(), 0xFFFF);
}

struct MeterRow {
  bool terminal;
  int upper;
  std::vector<int> positions;
  std::string drawn;
};

TEST(ProgressMeter, ABarInPlaceOnATerminalEndedAtTheEndAndALineEachTenthElsewhere) {
  const MeterRow rows[] = {
      {false, 20, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20},
       "10% (2 of 20)\n20% (4 of 20)\n30% (6 of 20)\n40% (8 of 20)\n50% (10 of 20)\n60% (12 of 20)\n"
       "70% (14 of 20)\n80% (16 of 20)\n90% (18 of 20)\n100% (20 of 20)\n"},
      {false, 3, {0, 1, 2, 3}, "33% (1 of 3)\n66% (2 of 3)\n100% (3 of 3)\n"},
      {true, 4, {0, 2},
       "\r[........................................] 0% (0 of 4)"
       "\r[####################....................] 50% (2 of 4)\n"},
      // At 100 % the line ends at once: a box shown before the bar is hidden starts a line of its own.
      {true, 1, {0, 1},
       "\r[........................................] 0% (0 of 1)"
       "\r[########################################] 100% (1 of 1)\n"},
  };
  for (const MeterRow& row : rows) {
    std::ostringstream out;
    ProgressMeter meter(out, row.terminal);
    meter.SetRange(0, row.upper);
    for (int p : row.positions) meter.SetPosition(p);
    meter.Finish();
    EXPECT_EQ(out.str(), row.drawn);
  }
}

TEST(TerminalFileChoice, AFileNameInTheMappedFolderOrTheOneGivenOnTheCommandLine) {
  testing::TempDir home;
  const std::string folder = home.path() + "/Microchip/projects/6120-047";
  std::filesystem::create_directories(folder);
  std::ofstream(folder + "/main.hex") << ":00000001FF\n";
  MemoryPortProvider ports;
  std::istringstream in("nothere.hex\nmain.hex\n");
  std::ostringstream out;
  TerminalOperator op(in, out, ports);
  DriveMap drives;
  drives.Set('C', home.path());
  op.SetDriveMap(drives);
  const std::vector<FileFilter> filters = {{"BootCode (*.hex)", "*.hex"}, {"All (*.*)", "*.*"}};
  EXPECT_EQ(op.ChooseOpenFile("C:\\Microchip\\projects\\6120-047\\", filters), folder + "/main.hex");
  EXPECT_EQ(out.str(), "=== Open ===\nFolder: " + folder + "/\nTypes: BootCode (*.hex), All (*.*)\n"
                       "File name (empty for none): No such file: " + folder + "/nothere.hex\n"
                       "File name (empty for none): ");
  EXPECT_EQ(op.ChooseOpenFile("C:\\Microchip\\projects\\6120-047\\", filters), "");
  op.SetFixedFile("/given/on/the/command/line.hex");
  EXPECT_EQ(op.ChooseOpenFile("C:\\Microchip\\projects\\6120-047\\", filters), "/given/on/the/command/line.hex");
}

// The unit as bootload meets it after the connect: silent or unplugged from the command's own
// handshake on, or its program answering the boot-loader function with an exception.
class AfterTheConnect : public LinePeer {
public:
  enum class Turn { Silent, Unplugged, RefusesSwitch };
  AfterTheConnect(MemoryLine& line, LinePeer& unitPeer, Turn turn) : line_(line), unitPeer_(unitPeer), turn_(turn) {
    line.SetPeer(this);
  }
  ~AfterTheConnect() override { line_.SetPeer(&unitPeer_); }
  void OnHostBytes(const uint8_t* data, size_t size) override {
    const std::vector<uint8_t> handshake = {0xFA, 0x04, 0x00, 0x02, 0x00, 0x03, 0x04, 0x40};
    if (std::vector<uint8_t>(data, data + size) == handshake) ++handshakes_;
    if (turn_ == Turn::RefusesSwitch && size >= 2 && data[1] == reg::kBootLoaderFunction)
      line_.Send(testing::WithCrc({0xFA, 0xC6, 0x04}), 5);
    else if (turn_ == Turn::RefusesSwitch || handshakes_ < 2)
      unitPeer_.OnHostBytes(data, size);
    else if (turn_ == Turn::Unplugged)
      line_.HangUp();
  }

private:
  MemoryLine& line_;
  LinePeer& unitPeer_;
  Turn turn_;
  int handshakes_ = 0;
};

// pcb-test and bootload as endcap-cli runs them, on the simulated board.

// The unit information printed when no read of it got an answer.
const char* const kNothingRead =
    "The unit did not answer when its information was read\n"
    "identity (registers 0-22): no reply; settings (registers 128-139): no reply; pressure settings "
    "(registers 140-144): no reply; calibration records (registers 400-419): no reply\n";

class ProductionCliTest : public ::testing::Test {
protected:
  ProductionCliTest() { ports.Attach(1, line); }
  int Run(std::vector<std::string> args, const std::string& answers = "") {
    args.insert(args.begin(), {"--com", "1", "--drive", "C=" + home.path()});
    const CliParse parse = ParseCommandLine(args);
    EXPECT_EQ(parse.outcome.kind, ParseOutcome::Kind::Run) << parse.outcome.text;
    in.clear();
    in.str(answers);
    const CliStreams streams{in, out, err, false};
    return RunCli(parse.options, ports, clock, streams);
  }
  std::string LastErrorLine() const {
    const std::string text = err.str();
    const size_t end = text.size() > 0 ? text.size() - 1 : 0;
    return text.substr(text.rfind('\n', end - 1) + 1);
  }

  VirtualClock clock{0, {2026, 12, 8, 9, 5, 0}};
  MemoryLine line{clock};
  MemoryPortProvider ports;
  sim::SimulatedUnit unit{clock};
  sim::MemoryUnitPeer peer{line, unit};
  testing::TempDir home;
  std::istringstream in;
  std::ostringstream out, err;
};

TEST_F(ProductionCliTest, UsageErrorsAreTheParsers) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"pcb-test", "serial", "exit"}, {"bootload"}, {"bootload", "a.hex", "b.hex"}})
    EXPECT_EQ(ParseCommandLine(args).outcome.kind, ParseOutcome::Kind::UsageError) << args.back();
}

TEST_F(ProductionCliTest, APcbTestPassIsStatusZeroAndAFailIsOne) {
  const std::string answers = "y\nab\n123456-7\n123456-7\n" + std::string(5, '\n') + "30\n\n100\n";
  EXPECT_EQ(Run({"pcb-test", "serial", "supplies", "current", "internal-rs485", "rs485-comms"}, answers), 0) << err.str();
  EXPECT_NE(out.str().find("Factory cal\t\t08/12/26  AB@\n"), std::string::npos) << out.str();

  unit.InjectFault(sim::Fault::BrokenLoop, sim::FaultMode::Always);
  std::ostringstream().swap(out);
  EXPECT_EQ(Run({"pcb-test", "serial", "supplies", "current", "internal-rs485", "rs485-comms"}, answers), 1);
  EXPECT_EQ(LastErrorLine(), "endcap-cli: overall result FAIL; the factory record is erased\n");
  EXPECT_NE(out.str().find("Factory cal\t\tNot calibrated\n"), std::string::npos) << out.str();

  EXPECT_EQ(Run({"pcb-test"}, "n\n"), 1);
  EXPECT_EQ(LastErrorLine(), "Yes or no? (y/n) endcap-cli: stopped: No to Warning!! Continuing will erase any existing "
                             "calibration Continue?\n");
}

// Passes the station's requests to the unit, except those the test drops.
class DroppingLine : public LinePeer {
public:
  using Drop = std::function<bool(uint8_t function, uint16_t firstRegister)>;
  DroppingLine(MemoryLine& line, LinePeer& unit, Drop drop) : unit_(unit), drop_(std::move(drop)) { line.SetPeer(this); }
  void OnHostBytes(const uint8_t* data, size_t size) override {
    if (size < 4 || !drop_(data[1], static_cast<uint16_t>((data[2] << 8) | data[3]))) unit_.OnHostBytes(data, size);
  }

private:
  LinePeer& unit_;
  Drop drop_;
};

TEST_F(ProductionCliTest, AUnitLostInThePcbTestStopsItWithStatusOneAndNoUnitInformation) {
  // From the first write to the RS485 loop register on, the unit is gone.
  bool gone = false;
  DroppingLine dropping(line, peer, [&gone](uint8_t function, uint16_t first) {
    return gone = gone || (function == reg::kWriteSingleRegister && first == reg::kRs485Loop);
  });
  EXPECT_EQ(Run({"pcb-test", "internal-rs485"}, "y\nab\n123456-7\n\n"), 1);
  EXPECT_NE(err.str().find("The unit on COM1 stopped answering\nThe procedure has stopped\n"), std::string::npos)
      << err.str();
  EXPECT_EQ(err.str().find("Internal RS485"), std::string::npos) << err.str();
  EXPECT_EQ(LastErrorLine(),
            "Press Enter for OK endcap-cli: the unit stopped answering; the PCB test stopped without a verdict\n");
  EXPECT_EQ(out.str(), kNothingRead);
}

TEST_F(ProductionCliTest, APassWhoseRecordsAreNotReadBackIsNotCalledDone) {
  DroppingLine deaf(line, peer, [](uint8_t function, uint16_t first) {
    return function == reg::kReadInputRegisters && first == reg::kCalRecords;
  });
  const std::string answers = "y\nab\n123456-7\n123456-7\n" + std::string(5, '\n') + "30\n\n100\n";
  EXPECT_EQ(Run({"pcb-test", "serial", "supplies", "current", "internal-rs485", "rs485-comms"}, answers), 1);
  EXPECT_EQ(LastErrorLine(),
            "endcap-cli: overall result PASS, the factory record is stamped, but the unit's information could not be "
            "read back: calibration records (registers 400-419): no reply\n");
  EXPECT_EQ(out.str(),
            "The unit did not answer when its information was read\ncalibration records (registers 400-419): no reply\n");
  EXPECT_EQ(*unit.Register(reg::kCalRecords), 0);
}

TEST_F(ProductionCliTest, BootloadReportsEachOutcomeByItsStatus) {
  const std::string good = home.path() + "/good.hex";
  testing::WriteFile(good, testing::HexImage(9, 16));
  EXPECT_EQ(Run({"bootload", good}), 0) << err.str();
  // The unit stays in its boot loader until its power is cycled: its information is not shown as
  // if it had answered.
  EXPECT_EQ(out.str(), std::string("10 lines sent in 10 pieces, every line answered\n") + kNothingRead);
  EXPECT_NE(err.str().find("100% (10 of 10)\n"), std::string::npos) << err.str();
  EXPECT_EQ(unit.bootImage().records, 10);
  unit.PowerCycle();

  const std::string bad = home.path() + "/bad.hex";
  testing::WriteFile(bad, ":00000007F9\n");
  EXPECT_EQ(Run({"bootload", bad}), 1);
  EXPECT_EQ(LastErrorLine(), "endcap-cli: " + bad + " refused, nothing was sent: line 1: unknown record type 07\n");
  EXPECT_EQ(Run({"bootload", home.path() + "/none.hex"}), 1);
  EXPECT_EQ(LastErrorLine(), "endcap-cli: " + home.path() + "/none.hex refused, nothing was sent: No such file or directory\n");
  EXPECT_EQ(unit.mode(), sim::UnitMode::Modbus);
}

TEST_F(ProductionCliTest, BootloadRefusesABadFileBeforeItOpensThePort) {
  line.HangUp();
  const std::string bad = home.path() + "/bad.hex";
  testing::WriteFile(bad, "");
  EXPECT_EQ(Run({"bootload", bad}), 1);
  EXPECT_EQ(err.str(), "endcap-cli: " + bad + " refused, nothing was sent: the file is empty\n");
  EXPECT_EQ(ports.openCount(), 0);
}

TEST_F(ProductionCliTest, BootloadSaysWhyTheUnitWasNotLoaded) {
  const std::string good = home.path() + "/good.hex";
  testing::WriteFile(good, testing::HexImage(2, 16));
  const std::pair<AfterTheConnect::Turn, std::string> rows[] = {
      {AfterTheConnect::Turn::Silent, "endcap-cli: the unit did not answer as expected: no reply\n"},
      {AfterTheConnect::Turn::Unplugged, "endcap-cli: COM1: the device was unplugged\n"},
      {AfterTheConnect::Turn::RefusesSwitch,
       "endcap-cli: the unit answered function 70 (exception code 4): it stayed in its program, nothing was sent\n"},
  };
  for (const auto& [turn, why] : rows) {
    line.Replug();
    AfterTheConnect unitAfterTheConnect(line, peer, turn);
    EXPECT_EQ(Run({"bootload", good}), 1);
    EXPECT_EQ(LastErrorLine(), why);
    EXPECT_EQ(unit.mode(), sim::UnitMode::Modbus);
  }
}

}  // namespace
}  // namespace endcap
