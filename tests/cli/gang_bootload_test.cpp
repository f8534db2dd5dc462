// A gang load on simulated boards, each on its own in-memory line and virtual clock, loaded on
// its own thread: what each board is sent, the end table's rows, the progress lines, and the
// command line that names the ports.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "cli/cli_options.h"
#include "cli/gang_bootload.h"
#include "cli/progress_meter.h"
#include "protocol/register_map.h"
#include "sim/memory_unit_peer.h"
#include "tests/support/hex_records.h"
#include "tests/support/scripted_peer.h"

namespace endcap {
namespace {

using Bytes = std::vector<uint8_t>;

sim::UnitConfig WithSerial(const std::string& serial) {
  sim::UnitConfig config;
  sim::EncodeSerial(serial, config.unitSerial[0], config.unitSerial[1]);
  return config;
}

// A board on its own line; Attach wires it to its COM number.
struct SimulatedBoard {
  explicit SimulatedBoard(const std::string& serial) : unit(clock, WithSerial(serial)) {}
  GangBoard Attach(int com, const std::string& device) {
    ports.Attach(com, line);
    return {com, device, &ports, &clock};
  }
  VirtualClock clock;
  MemoryLine line{clock};
  sim::SimulatedUnit unit;
  sim::MemoryUnitPeer peer{line, unit};
  MemoryPortProvider ports;
};

// A board that misbehaves from a given moment: its program answers function 70 itself (the
// simulated unit's exception fault armed as the request arrives), or it stops answering once its
// boot loader has taken some lines.
class Misbehaving : public LinePeer {
public:
  Misbehaving(SimulatedBoard& board, int answeredLines) : board_(board), answeredLines_(answeredLines) {
    board.line.SetPeer(this);
  }
  void OnHostBytes(const uint8_t* data, size_t size) override {
    if (answeredLines_ < 0 && size >= 2 && data[1] == reg::kBootLoaderFunction)
      board_.unit.InjectFault(sim::Fault::ExceptionReply, sim::FaultMode::Once);
    if (answeredLines_ >= 0 && board_.unit.bootImage().lines.size() >= static_cast<size_t>(answeredLines_)) return;
    board_.peer.OnHostBytes(data, size);
  }

private:
  SimulatedBoard& board_;
  int answeredLines_;
};

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

const std::string kProgram = testing::HexImage(4, 16);

TEST(GangBootload, EachBoardGetsASingleLoadsSequenceAndEveryFailureItsOwnRow) {
  SimulatedBoard good("123456-001"), refuses("123456-002"), absent("123456-003"), stops("123456-004");
  Misbehaving answersTheSwitch(refuses, -1), stopsHalfway(stops, 2);
  const std::vector<GangBoard> boards = {good.Attach(1, "/dev/ttyUSB0"), refuses.Attach(2, "/dev/ttyUSB1"),
                                         {3, "/dev/ttyUSB2", &absent.ports, &absent.clock},
                                         stops.Attach(4, "/dev/ttyUSB3")};
  std::ostringstream progress;
  GangMeter meter(progress, false, {"COM1", "COM2", "COM3", "COM4"}, 5);
  const std::vector<BoardLoad> loads = LoadGang(boards, kProgram, meter, nullptr);

  EXPECT_EQ(GangTable(boards, loads),
            "COM   device        unit serial  lines  unanswered  verdict\n"
            "COM1  /dev/ttyUSB0  123456-001       5           0  loaded\n"
            "COM2  /dev/ttyUSB1  123456-002       0           0  not loaded: stayed in its program (exception code 4)\n"
            "COM3  /dev/ttyUSB2  no answer        0           0  not loaded: port not opened (COM3: No such device)\n"
            "COM4  /dev/ttyUSB3  123456-004       5           3  not loaded: 3 lines unanswered\n");
  EXPECT_TRUE(BoardLoaded(loads[0]));
  EXPECT_FALSE(BoardLoaded(loads[3]));
  // The serial read, the unlock, function 70, then each line whole with its line feed.
  std::vector<Bytes> expected = {testing::WithCrc({0xFA, 0x04, 0x00, 0x0A, 0x00, 0x02}),
                                 {0xFA, 0x41, 0x16, 0xC3, 0x2E, 0xD9}, testing::WithCrc({0xFA, 0x46, 0x00, 0x00})};
  std::istringstream lines(kProgram);
  for (std::string line; std::getline(lines, line);) expected.push_back(Text(line + "\n"));
  EXPECT_EQ(good.line.writes(), expected);
  EXPECT_EQ(good.unit.bootImage().records, 5);
  EXPECT_TRUE(good.unit.bootImage().endedWithEof);
  EXPECT_EQ(refuses.unit.mode(), sim::UnitMode::Modbus);
  EXPECT_EQ(stops.line.writes().size(), expected.size());
  EXPECT_NE(progress.str().find("COM1: 100% (5 of 5 lines sent, 0 unanswered)\n"), std::string::npos) << progress.str();
}

TEST(GangMeter, ALinePerBoardRedrawnInPlaceOnATerminalAndEachTenthElsewhere) {
  const std::vector<std::string> labels = {"COM1 /dev/a", "COM12 /dev/b"};
  std::ostringstream log, terminal;
  GangMeter logged(log, false, labels, 4), drawn(terminal, true, labels, 4);
  for (GangMeter* meter : {&logged, &drawn}) {
    meter->Show(0, 1, 4, 1, 0);
    meter->Show(1, 0, 4, 0, 0);
    meter->Show(1, 4, 4, 4, 1);
  }
  EXPECT_EQ(log.str(),
            "COM1 /dev/a: 25% (1 of 4 lines sent, 0 unanswered)\n"
            "COM12 /dev/b: 100% (4 of 4 lines sent, 1 unanswered)\n");
  const std::string first = "\rCOM1 /dev/a   25% (1 of 4 lines sent, 0 unanswered)\x1b[K\n";
  const std::string second = "\rCOM12 /dev/b   0% (0 of 4 lines sent, 0 unanswered)\x1b[K\n";
  EXPECT_EQ(terminal.str(), first + second + "\x1b[2A" + first + second + "\x1b[2A" + first +
                                "\rCOM12 /dev/b 100% (4 of 4 lines sent, 1 unanswered)\x1b[K\n");
}

TEST(GangBootloadCommandLine, OnlyBootloadTakesSeveralPortsEachNamedOnce) {
  const CliParse gang = ParseCommandLine({"--com", "3", "bootload", "p.hex", "--com", "0x5", "--port", "5=/dev/pts/9"});
  EXPECT_EQ(gang.outcome.kind, ParseOutcome::Kind::Run) << gang.outcome.text;
  EXPECT_EQ(gang.options.coms, (std::vector<uint8_t>{3, 5}));
  const std::pair<std::vector<std::string>, std::string> refused[] = {
      {{"--com", "1", "--com", "2", "info"}, "--com is given once, except to bootload"},
      {{"bootload", "p.hex", "--com", "1", "--com", "1"}, "--com: each port is named once"},
  };
  for (const auto& [args, text] : refused) {
    const CliParse parse = ParseCommandLine(args);
    EXPECT_EQ(parse.outcome.kind, ParseOutcome::Kind::UsageError);
    EXPECT_EQ(parse.outcome.text, text);
  }
}

}  // namespace
}  // namespace endcap
