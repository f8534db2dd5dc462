// The register and control commands against a scripted far end on the virtual clock: the exact
// frames sent, the exact output, and the exit status and message for each way a reply can fail.

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <sstream>

#include "cli/cli_session.h"
#include "serial/memory_device.h"
#include "tests/support/scripted_peer.h"

namespace endcap {
namespace {

using testing::Hex;
using testing::HexText;
using testing::ScriptedPeer;

class RegisterCommandsTest : public ::testing::Test {
protected:
  RegisterCommandsTest() { ports.Attach(1, line); }

  int Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--com", "1"});
    const CliParse parse = ParseCommandLine(args);
    EXPECT_EQ(parse.outcome.kind, ParseOutcome::Kind::Run) << parse.outcome.text;
    const CliStreams streams{in, out, err, false};
    return RunCli(parse.options, ports, clock, streams);
  }

  // The frames the station sent, each with its CRC.
  std::vector<std::vector<uint8_t>> Sent() const { return peer.received(); }

  VirtualClock clock;
  MemoryLine line{clock};
  MemoryPortProvider ports;
  ScriptedPeer peer{line};
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(RegisterCommandsTest, ReadPrintsOneLinePerRegister) {
  peer.QueueWithCrc(Hex("fa 04 06 00 01 00 fa ab cd"));
  EXPECT_EQ(Run({"registers", "read", "2", "3"}), kExitDone);
  EXPECT_EQ(Sent(), (std::vector<std::vector<uint8_t>>{Hex("fa 04 00 02 00 03 04 40")}));
  EXPECT_EQ(out.str(), "2\t1\t0x0001\n3\t250\t0x00fa\n4\t43981\t0xabcd\n");
  EXPECT_EQ(err.str(), "");
}

TEST_F(RegisterCommandsTest, ReadWithoutReplySaysNoReply) {
  peer.QueueSilence();
  EXPECT_EQ(Run({"registers", "read", "2", "3"}), kExitUnitFailed);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), "endcap-cli: the unit did not answer as expected: no reply\n");
}

TEST_F(RegisterCommandsTest, ReadWithDamagedReplySaysBadCrc) {
  std::vector<uint8_t> reply = testing::WithCrc(Hex("fa 04 06 00 01 00 02 00 03"));
  reply.back() ^= 0x01;
  peer.Queue(reply);
  EXPECT_EQ(Run({"registers", "read", "2", "3"}), kExitUnitFailed);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), "endcap-cli: the unit did not answer as expected: bad CRC\n");
}

TEST_F(RegisterCommandsTest, ReadRefusedSaysTheExceptionCode) {
  peer.QueueWithCrc(Hex("fa 84 02"));
  EXPECT_EQ(Run({"registers", "read", "1000", "1"}), kExitUnitFailed);
  EXPECT_EQ(Sent(), (std::vector<std::vector<uint8_t>>{testing::WithCrc(Hex("fa 04 03 e8 00 01"))}));
  EXPECT_EQ(err.str(), "endcap-cli: the unit did not answer as expected: exception code 2\n");
}

TEST_F(RegisterCommandsTest, WriteUnlocksThenWritesEveryValue) {
  peer.QueueWithCrc(Hex("fa 41 42"));
  peer.QueueWithCrc(Hex("fa 10 00 0c 00 02"));
  EXPECT_EQ(Run({"registers", "write", "12", "7", "0x1234"}), kExitDone);
  EXPECT_EQ(Sent(), (std::vector<std::vector<uint8_t>>{testing::WithCrc(Hex("fa 41 16 c3")),
                                                       testing::WithCrc(Hex("fa 10 00 0c 00 02 04 00 07 12 34"))}));
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), "");
}

TEST_F(RegisterCommandsTest, WriteRefusedSaysTheExceptionCodeOfTheWrite) {
  peer.QueueWithCrc(Hex("fa 41 42"));
  peer.QueueWithCrc(Hex("fa 90 01"));
  EXPECT_EQ(Run({"registers", "write", "12", "7"}), kExitUnitFailed);
  EXPECT_EQ(err.str(), "endcap-cli: the unit did not answer as expected: exception code 1\n");
}

TEST_F(RegisterCommandsTest, WriteSingleSendsFunctionSix) {
  peer.QueueWithCrc(Hex("fa 06 00 c8 00 01"));
  EXPECT_EQ(Run({"registers", "write-single", "200", "1"}), kExitDone);
  EXPECT_EQ(Sent(), (std::vector<std::vector<uint8_t>>{testing::WithCrc(Hex("fa 06 00 c8 00 01"))}));
}

TEST_F(RegisterCommandsTest, ControlSucceedsOnTheMarkAndFailsWithoutIt) {
  peer.QueueWithCrc(Hex("fa 42 42"));
  EXPECT_EQ(Run({"control", "66", "0"}), kExitDone);
  EXPECT_EQ(Sent(), (std::vector<std::vector<uint8_t>>{testing::WithCrc(Hex("fa 42 00 00"))}));
  EXPECT_EQ(err.str(), "");

  peer.QueueWithCrc(Hex("fa 42 41"));
  EXPECT_EQ(Run({"control", "0x42", "0"}), kExitUnitFailed);
  EXPECT_EQ(err.str(), "endcap-cli: the unit did not answer as expected: unexpected reply\n");
}

TEST_F(RegisterCommandsTest, APortThatDoesNotOpenSaysWhy) {
  const CliParse parse = ParseCommandLine({"--com", "4", "registers", "read", "2", "3"});
  const CliStreams streams{in, out, err, false};
  EXPECT_EQ(RunCli(parse.options, ports, clock, streams), kExitUnitFailed);
  EXPECT_EQ(err.str(), "endcap-cli: COM4 could not be opened: COM4: No such device\n");
  EXPECT_TRUE(Sent().empty());
}

TEST_F(RegisterCommandsTest, APortHeldByAnotherProgramSaysItIsInUse) {
  SerialError error;
  const auto held = ports.OpenPort(1, error);
  ASSERT_TRUE(held);
  EXPECT_EQ(Run({"registers", "read", "2", "3"}), kExitUnitFailed);
  EXPECT_EQ(err.str(), "endcap-cli: COM1 is in use by another program (COM1: Device or resource busy)\n");
  EXPECT_TRUE(Sent().empty());
}

TEST_F(RegisterCommandsTest, NoPortChosenAtTheChooser) {
  in.str("0\n");
  const CliParse parse = ParseCommandLine({"registers", "read", "2", "3"});
  const CliStreams streams{in, out, err, false};
  EXPECT_EQ(RunCli(parse.options, ports, clock, streams), kExitUnitFailed);
  EXPECT_EQ(err.str(),
            "=== Choose comm port ===\nCOMM  1  /dev/ttyS0\nPort number (0 for none) [1]: endcap-cli: no port chosen\n");
}

TEST_F(RegisterCommandsTest, TheChosenPortIsUsed) {
  in.str("\n");
  peer.QueueWithCrc(Hex("fa 04 02 00 05"));
  const CliParse parse = ParseCommandLine({"registers", "read", "12", "1"});
  const CliStreams streams{in, out, err, false};
  EXPECT_EQ(RunCli(parse.options, ports, clock, streams), kExitDone);
  EXPECT_EQ(out.str(), "12\t5\t0x0005\n");
}

TEST_F(RegisterCommandsTest, TraceLogsTheFramesBothWays) {
  char path[] = "/tmp/endcap-cli-trace-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  peer.QueueWithCrc(Hex("fa 04 06 00 01 00 02 00 03"));
  EXPECT_EQ(Run({"--trace", path, "registers", "read", "2", "3"}), kExitDone);
  std::ifstream file(path);
  std::stringstream trace;
  trace << file.rdbuf();
  std::remove(path);
  // Every line begins with the milliseconds since the trace started.
  std::string lines;
  for (std::string line; std::getline(trace, line);)
    lines += line.substr(line.find(' ', line.find_first_not_of(' '))) + "\n";
  EXPECT_EQ(lines, " -- opened COM1\n >> fa 04 00 02 00 03 04 40\n << " +
                       HexText(testing::WithCrc(Hex("fa 04 06 00 01 00 02 00 03"))) + "\n");
}

TEST_F(RegisterCommandsTest, ATraceFileThatCannotBeWrittenStopsTheCommandBeforeThePort) {
  EXPECT_EQ(Run({"--trace", "/nonexistent/dir/trace.txt", "registers", "read", "2", "3"}), kExitUnitFailed);
  EXPECT_EQ(err.str(),
            "endcap-cli: cannot write the trace file /nonexistent/dir/trace.txt: No such file or directory\n");
  EXPECT_TRUE(Sent().empty());
}

TEST_F(RegisterCommandsTest, ATraceThatFailsWhileWrittenSaysSoOnceAndTheCommandGoesOn) {
  if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  peer.QueueWithCrc(Hex("fa 04 06 00 01 00 02 00 03"));
  EXPECT_EQ(Run({"--trace", "/dev/full", "registers", "read", "2", "3"}), kExitDone);
  EXPECT_EQ(out.str(), "2\t1\t0x0001\n3\t2\t0x0002\n4\t3\t0x0003\n");
  EXPECT_EQ(err.str(), "endcap-cli: the trace file /dev/full could not be written (No space left on device); tracing stops\n");
}

TEST_F(RegisterCommandsTest, ALineThatOnlyEchoesIsNotAUnit) {
  testing::EchoPeer echo(line);
  EXPECT_EQ(Run({"registers", "read", "2", "3"}), kExitUnitFailed);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), "endcap-cli: the unit did not answer as expected: wrong reply\n");
}

}  // namespace
}  // namespace endcap
