// The command line: each command and its arguments, the options, and every kind of usage error.

#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include "cli/number_text.h"
#include "unit/register_map.h"

namespace endcap {
namespace {

CliParse Parse(std::vector<std::string> args) { return ParseCommandLine(args); }

// A usage error's one-line message.
std::string UsageError(std::vector<std::string> args) {
  const CliParse parse = Parse(std::move(args));
  EXPECT_EQ(parse.outcome, CliParse::Outcome::UsageError);
  return parse.text;
}

TEST(NumberTextTest, ReadsDecimalAndHexWithinTheLimit) {
  uint32_t value = 0;
  EXPECT_TRUE(ParseNumber("250", 0xFFFF, value));
  EXPECT_EQ(value, 250u);
  EXPECT_TRUE(ParseNumber("0xFa", 0xFFFF, value));
  EXPECT_EQ(value, 250u);
  EXPECT_TRUE(ParseNumber("0XFFFF", 0xFFFF, value));
  EXPECT_EQ(value, 0xFFFFu);
  EXPECT_FALSE(ParseNumber("0x10000", 0xFFFF, value));
  EXPECT_FALSE(ParseNumber("65536", 0xFFFF, value));
  EXPECT_FALSE(ParseNumber("99999999999999999999", 0xFFFF, value));
  EXPECT_FALSE(ParseNumber("", 0xFFFF, value));
  EXPECT_FALSE(ParseNumber("0x", 0xFFFF, value));
  EXPECT_FALSE(ParseNumber("12a", 0xFFFF, value));
  EXPECT_FALSE(ParseNumber("-1", 0xFFFF, value));
  EXPECT_FALSE(ParseNumber(" 1", 0xFFFF, value));
}

TEST(CliOptionsTest, RegistersReadTakesFirstAndCount) {
  const CliParse parse = Parse({"--device", "/dev/pts/7", "registers", "read", "2", "0x3"});
  ASSERT_EQ(parse.outcome, CliParse::Outcome::Run);
  EXPECT_EQ(parse.options.command, CliCommand::RegistersRead);
  EXPECT_EQ(parse.options.first, 2);
  EXPECT_EQ(parse.options.count, 3);
  EXPECT_EQ(parse.options.com, 1);
  EXPECT_EQ(parse.options.ports.PathOf(1), "/dev/pts/7");
}

TEST(CliOptionsTest, RegistersWriteTakesEveryValue) {
  const CliParse parse = Parse({"registers", "write", "120", "0x3f80", "0", "65535"});
  ASSERT_EQ(parse.outcome, CliParse::Outcome::Run);
  EXPECT_EQ(parse.options.command, CliCommand::RegistersWrite);
  EXPECT_EQ(parse.options.first, 120);
  EXPECT_EQ(parse.options.values, (std::vector<uint16_t>{0x3f80, 0, 0xFFFF}));
}

TEST(CliOptionsTest, WriteSingleTakesRegisterAndOneByteValue) {
  const CliParse parse = Parse({"registers", "write-single", "220", "0xAA"});
  ASSERT_EQ(parse.outcome, CliParse::Outcome::Run);
  EXPECT_EQ(parse.options.command, CliCommand::RegistersWriteSingle);
  EXPECT_EQ(parse.options.first, 220);
  EXPECT_EQ(parse.options.values, (std::vector<uint16_t>{0xAA}));
  EXPECT_EQ(UsageError({"registers", "write-single", "220", "256"}),
            "VALUE must be a number from 0 to 255 (decimal or 0x hex): '256'");
}

TEST(CliOptionsTest, ControlTakesFunctionAndParameter) {
  const CliParse parse = Parse({"--port", "3=/dev/ttyUSB9", "--com", "3", "control", "66", "0"});
  ASSERT_EQ(parse.outcome, CliParse::Outcome::Run);
  EXPECT_EQ(parse.options.command, CliCommand::Control);
  EXPECT_EQ(parse.options.function, 66);
  EXPECT_EQ(parse.options.parameter, 0);
  EXPECT_EQ(parse.options.com, 3);
  EXPECT_EQ(parse.options.ports.PathOf(3), "/dev/ttyUSB9");
  EXPECT_EQ(parse.options.ports.PathOf(1), "/dev/ttyS0");
}

TEST(CliOptionsTest, SensorCommandsTakeTheSensorsBit) {
  const CliParse read = Parse({"read", "inclinometer"});
  ASSERT_EQ(read.outcome, CliParse::Outcome::Run);
  EXPECT_EQ(read.options.command, CliCommand::Read);
  EXPECT_EQ(read.options.sensorMask, reg::kSensorInclinometer);
  const CliParse enable = Parse({"enable", "strain"});
  EXPECT_EQ(enable.options.command, CliCommand::Enable);
  EXPECT_EQ(enable.options.sensorMask, reg::kSensorStrainGauge);
  EXPECT_EQ(Parse({"disable", "strain"}).options.command, CliCommand::Disable);
  EXPECT_EQ(UsageError({"read", "pressure"}), "unknown sensor 'pressure': inclinometer or strain");
  EXPECT_EQ(UsageError({"enable"}), "enable needs one sensor: inclinometer or strain");
}

TEST(CliOptionsTest, SetAddressTakesAnOptionalAddress) {
  const CliParse given = Parse({"set-address", "0x10"});
  ASSERT_EQ(given.outcome, CliParse::Outcome::Run);
  EXPECT_EQ(given.options.command, CliCommand::SetAddress);
  EXPECT_TRUE(given.options.addressGiven);
  EXPECT_EQ(given.options.address, 16);
  const CliParse asked = Parse({"set-address"});
  ASSERT_EQ(asked.outcome, CliParse::Outcome::Run);
  EXPECT_FALSE(asked.options.addressGiven);
  EXPECT_EQ(UsageError({"set-address", "1", "2"}), "set-address takes at most one address");
}

TEST(CliOptionsTest, OptionsMayComeAnywhereAndInEitherForm) {
  const CliParse parse = Parse({"info", "--drive=C=/tmp/station", "--trace", "-", "--com=2"});
  ASSERT_EQ(parse.outcome, CliParse::Outcome::Run);
  EXPECT_EQ(parse.options.command, CliCommand::Info);
  EXPECT_EQ(parse.options.traceFile, "-");
  EXPECT_EQ(parse.options.com, 2);
  EXPECT_EQ(parse.options.drives.Resolve("C:\\Quorvanta\\D5Status"), "/tmp/station/Quorvanta/D5Status");
}

TEST(CliOptionsTest, WithoutDeviceOrComTheChooserAsks) {
  const CliParse parse = Parse({"disconnect"});
  ASSERT_EQ(parse.outcome, CliParse::Outcome::Run);
  EXPECT_EQ(parse.options.com, 0);
  EXPECT_EQ(parse.options.traceFile, "");
}

TEST(CliOptionsTest, HelpForTheProgramAndForOneCommand) {
  const CliParse program = Parse({"--help"});
  EXPECT_EQ(program.outcome, CliParse::Outcome::Help);
  EXPECT_EQ(program.text, ProgramUsage());
  EXPECT_NE(program.text.find("  registers read FIRST COUNT "), std::string::npos);
  EXPECT_NE(program.text.find("  disconnect "), std::string::npos);

  const CliParse command = Parse({"registers", "read", "--help"});
  EXPECT_EQ(command.outcome, CliParse::Outcome::Help);
  EXPECT_EQ(command.text, CommandUsage("registers"));
  EXPECT_EQ(command.text.rfind("usage: endcap-cli [OPTIONS]\n  registers read FIRST COUNT ", 0), 0u);
  EXPECT_EQ(command.text.find("control"), std::string::npos);
  EXPECT_EQ(Parse({"-h", "set-address"}).text, CommandUsage("set-address"));
}

TEST(CliOptionsTest, UsageErrorsSayWhatIsWrong) {
  EXPECT_EQ(UsageError({}), "no command given");
  EXPECT_EQ(UsageError({"frobnicate"}), "unknown command 'frobnicate'");
  EXPECT_EQ(UsageError({"--baud", "19200", "info"}), "unknown option '--baud'");
  EXPECT_EQ(UsageError({"info", "--device"}), "--device needs a value");
  EXPECT_EQ(UsageError({"--device", "/dev/a", "--com", "2", "info"}),
            "--device cannot be combined with --port or --com");
  EXPECT_EQ(UsageError({"--port", "1=/dev/a", "--device", "/dev/b", "info"}),
            "--device cannot be combined with --port or --com");
  EXPECT_EQ(UsageError({"--port", "0=/dev/a", "info"}), "--port needs N=PATH with N from 1 to 255: '0=/dev/a'");
  EXPECT_EQ(UsageError({"--com", "0", "info"}), "--com needs a port number from 1 to 255: '0'");
  EXPECT_EQ(UsageError({"--drive", "CC=/tmp", "info"}), "--drive needs X=DIR: 'CC=/tmp'");
  EXPECT_EQ(UsageError({"--trace=", "info"}), "--trace needs a file name or -");
  EXPECT_EQ(UsageError({"info", "now"}), "info takes no arguments");
  EXPECT_EQ(UsageError({"registers"}), "registers needs read, write or write-single");
  EXPECT_EQ(UsageError({"registers", "peek", "1"}), "unknown registers command 'peek': read, write or write-single");
  EXPECT_EQ(UsageError({"registers", "read", "2"}), "registers read needs FIRST COUNT");
  EXPECT_EQ(UsageError({"registers", "read", "2", "0"}), "COUNT must be at least 1");
  EXPECT_EQ(UsageError({"registers", "read", "2", "126"}),
            "COUNT must be a number from 0 to 125 (decimal or 0x hex): '126'");
  EXPECT_EQ(UsageError({"registers", "read", "65535", "2"}), "registers beyond 65535 do not exist");
  EXPECT_EQ(UsageError({"registers", "write", "12"}), "registers write needs FIRST and at least one VALUE");
  EXPECT_EQ(UsageError({"registers", "write", "12", "x"}),
            "VALUE must be a number from 0 to 65535 (decimal or 0x hex): 'x'");
  EXPECT_EQ(UsageError({"control", "66"}), "control needs FUNCTION PARAMETER");
  EXPECT_EQ(UsageError({"control", "256", "0"}), "FUNCTION must be a number from 0 to 255 (decimal or 0x hex): '256'");
}

TEST(CliOptionsTest, AUsageErrorCarriesTheUsageOfItsCommand) {
  EXPECT_EQ(Parse({"control", "66"}).usage, CommandUsage("control"));
  EXPECT_EQ(Parse({"frobnicate"}).usage, ProgramUsage());
  EXPECT_EQ(Parse({"--com", "x", "control"}).usage, ProgramUsage());
}

TEST(CliOptionsTest, WritesAtMostWhatOneRequestCarries) {
  std::vector<std::string> args = {"registers", "write", "0"};
  for (int i = 0; i < 123; ++i) args.push_back("1");
  EXPECT_EQ(Parse(args).outcome, CliParse::Outcome::Run);
  args.push_back("1");
  EXPECT_EQ(UsageError(args), "at most 123 registers can be written at once");
}

}  // namespace
}  // namespace endcap
