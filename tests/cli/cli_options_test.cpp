// The command line: numbers, the shared options, help, and every kind of usage error. What
// each command does with its arguments is proved by running it (register_commands_test,
// window_commands_test).

#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include <map>

#include "cli/number_text.h"

namespace endcap {
namespace {

CliParse Parse(const std::vector<std::string>& args) { return ParseCommandLine(args); }

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

TEST(CliOptionsTest, EveryCommandParsesToSomethingToRun) {
  const std::vector<std::vector<std::string>> commands = {
      {"registers", "read", "2", "0x3"},   {"registers", "write", "120", "0x3f80", "0", "65535"},
      {"registers", "write-single", "220", "0xAA"}, {"control", "66", "0"},
      {"info"},                            {"read", "inclinometer"},
      {"enable", "strain"},                {"disable", "strain"},
      {"set-address", "0x10"},             {"set-address"},
      {"disconnect"},
  };
  for (const auto& args : commands) {
    const CliParse parse = Parse(args);
    EXPECT_EQ(parse.outcome.kind, ParseOutcome::Kind::Run) << args.front() << ": " << parse.outcome.text;
    EXPECT_TRUE(parse.options.run) << args.front();
  }
}

TEST(CliOptionsTest, DeviceIsComOne) {
  const CliParse parse = Parse({"--device", "/dev/pts/7", "info"});
  ASSERT_EQ(parse.outcome.kind, ParseOutcome::Kind::Run);
  EXPECT_EQ(parse.options.com, 1);
  EXPECT_EQ(parse.options.shared.ports.PathOf(1), "/dev/pts/7");
}

TEST(CliOptionsTest, OptionsMayComeAnywhereAndInEitherForm) {
  const CliParse parse =
      Parse({"--port", "3=/dev/ttyUSB9", "info", "--drive=C=/tmp/station", "--trace", "-", "--com=0x3"});
  ASSERT_EQ(parse.outcome.kind, ParseOutcome::Kind::Run) << parse.outcome.text;
  EXPECT_EQ(parse.options.shared.traceFile, "-");
  EXPECT_EQ(parse.options.com, 3);
  EXPECT_EQ(parse.options.shared.ports.PathOf(3), "/dev/ttyUSB9");
  EXPECT_EQ(parse.options.shared.ports.PathOf(1), "/dev/ttyS0");
  EXPECT_EQ(parse.options.shared.drives.Resolve("C:\\Quorvanta\\D5Status"), "/tmp/station/Quorvanta/D5Status");
}

TEST(CliOptionsTest, TheOneMappedPortIsUsedWithoutAsking) {
  EXPECT_EQ(Parse({"--port", "3=/dev/pts/9", "info"}).options.com, 3);
  EXPECT_EQ(Parse({"--port", "3=/dev/pts/9", "--com", "4", "info"}).options.com, 4);
  EXPECT_EQ(Parse({"--port", "3=/dev/pts/9", "--port", "4=/dev/pts/8", "info"}).options.com, 0);
}

TEST(CliOptionsTest, EachAnswerOptionAnswersItsPrompts) {
  const CliParse parse = Parse({"calibrate", "strain", "--operator", "ab", "--unit-serial", "123456-7", "--board-serial",
                                "654321-1", "--current=72", "--atmosphere", "1013", "--temperature", "21.5", "--tester",
                                "Budenburg", "--tester-id", "17", "--gauge-make", "Druck", "--gauge-model", "PDCR 4000",
                                "--gauge-serial", "4711", "--unloaded-current", "40", "--loaded-current", "60", "--yes"});
  ASSERT_EQ(parse.outcome.kind, ParseOutcome::Kind::Run) << parse.outcome.text;
  const std::map<std::string, std::string> expected = {
      {"Enter operator ID 2/3 chars", "ab"},     {"Enter unit serial No", "123456-7"},
      {"Enter board serial No", "654321-1"},     {"Board serial number", "654321-1"},
      {"Enter current drawn in mA", "72"},       {"Atmospheric pressure (millibar)", "1013"},
      {"Local temperature (Deg C)", "21.5"},     {"Dead weight tester make", "Budenburg"},
      {"Dead weight tester Ident. No", "17"},    {"Strain gauge manufacturer", "Druck"},
      {"Strain gauge model", "PDCR 4000"},       {"Strain gauge serial No", "4711"},
      {"Enter unloaded current (mA)", "40"},     {"Enter loaded current (mA)", "60"},
  };
  EXPECT_EQ(parse.options.answers.byCaption, expected);
  EXPECT_TRUE(parse.options.answers.yesToGoingOn);
  EXPECT_FALSE(Parse({"info"}).options.answers.yesToGoingOn);
}

TEST(CliOptionsTest, WithoutDeviceOrComTheChooserAsks) {
  const CliParse parse = Parse({"disconnect"});
  ASSERT_EQ(parse.outcome.kind, ParseOutcome::Kind::Run);
  EXPECT_EQ(parse.options.com, 0);
  EXPECT_EQ(parse.options.shared.traceFile, "");
}

TEST(CliOptionsTest, HelpForTheProgramAndForOneCommand) {
  const CliParse program = Parse({"--help"});
  ASSERT_EQ(program.outcome.kind, ParseOutcome::Kind::Help);
  for (const char* word : {"--device PATH", "--port N=PATH", "--com N", "--drive X=DIR", "--trace FILE", "registers",
                           "control", "info", "read", "enable", "disable", "set-address", "disconnect", "exit status"})
    EXPECT_NE(program.outcome.text.find(word), std::string::npos) << word;

  const CliParse command = Parse({"registers", "write-single", "--help"});
  ASSERT_EQ(command.outcome.kind, ParseOutcome::Kind::Help);
  EXPECT_NE(command.outcome.text.find("Usage: endcap-cli registers write-single [OPTIONS] REGISTER VALUE"),
            std::string::npos);
  EXPECT_NE(command.outcome.text.find("200 (0xC8) is written as 0x01C8 and reads back as 456"), std::string::npos);
  EXPECT_EQ(command.outcome.text.find("control"), std::string::npos);
  // The options of every command are listed with each command too.
  for (const char* word : {"Options of every command:", "--device PATH", "--com N", "--port N=PATH", "--drive X=DIR",
                           "--store FILE", "--trace FILE", "Answers to the operator's prompts:", "--operator ID", "--yes"})
    EXPECT_NE(command.outcome.text.find(word), std::string::npos) << word;
}

struct UsageErrorRow {
  std::vector<std::string> args;
  const char* message;
  const char* usageLine;  // the usage shown with it: the command's own when it was named
};

TEST(CliOptionsTest, UsageErrorsSayWhatIsWrong) {
  const UsageErrorRow rows[] = {
      {{}, "no command given", "Usage: endcap-cli [OPTIONS] [SUBCOMMAND]"},
      {{"frobnicate"}, "unknown command 'frobnicate'", "Usage: endcap-cli [OPTIONS] [SUBCOMMAND]"},
      {{"info", "now"}, "unexpected argument 'now'", "Usage: endcap-cli info [OPTIONS]"},
      {{"--baud", "19200", "info"}, "unknown option '--baud'", "Usage: endcap-cli info [OPTIONS]"},
      {{"info", "--device"}, "--device: 1 required PATH missing", "Usage: endcap-cli info"},
      {{"--device", "/dev/a", "--com", "2", "info"}, "--device excludes --com", "Usage: endcap-cli info"},
      {{"--port", "1=/dev/a", "--device", "/dev/b", "info"}, "--device excludes --port", "Usage: endcap-cli info"},
      {{"--port", "0=/dev/a", "info"}, "--port: '0=/dev/a': expected N=PATH with N from 1 to 255",
       "Usage: endcap-cli"},
      {{"--com", "0", "info"}, "--com: must be a number from 1 to 255 (decimal or 0x hex): '0'",
       "Usage: endcap-cli"},
      {{"--drive", "CC=/tmp", "info"}, "--drive: 'CC=/tmp': expected X=DIR with X a drive letter",
       "Usage: endcap-cli"},
      {{"--trace", "", "info"}, "--trace: needs a file name ('-' for standard error)", "Usage: endcap-cli"},
      {{"registers"}, "A subcommand is required", "Usage: endcap-cli registers [OPTIONS] SUBCOMMAND"},
      {{"registers", "read", "2"}, "COUNT is required", "Usage: endcap-cli registers read [OPTIONS] FIRST COUNT"},
      {{"registers", "read", "2", "0"}, "COUNT: must be a number from 1 to 125 (decimal or 0x hex): '0'",
       "Usage: endcap-cli registers read"},
      {{"registers", "read", "2", "126"}, "COUNT: must be a number from 1 to 125 (decimal or 0x hex): '126'",
       "Usage: endcap-cli registers read"},
      {{"registers", "read", "65535", "2"}, "registers beyond 65535 do not exist", "Usage: endcap-cli registers read"},
      {{"registers", "write", "12"}, "VALUE is required", "Usage: endcap-cli registers write"},
      {{"registers", "write", "12", "x"}, "VALUE: must be a number from 0 to 65535 (decimal or 0x hex): 'x'",
       "Usage: endcap-cli registers write"},
      {{"registers", "write-single", "220", "256"}, "VALUE: must be a number from 0 to 255 (decimal or 0x hex): '256'",
       "Usage: endcap-cli registers write-single"},
      {{"control", "66"}, "PARAMETER is required", "Usage: endcap-cli control [OPTIONS] FUNCTION PARAMETER"},
      {{"control", "256", "0"}, "FUNCTION: must be a number from 0 to 255 (decimal or 0x hex): '256'",
       "Usage: endcap-cli control"},
      {{"read", "pressure"}, "SENSOR: pressure not in {inclinometer,strain}", "Usage: endcap-cli read"},
      {{"enable"}, "SENSOR is required", "Usage: endcap-cli enable [OPTIONS] SENSOR"},
      {{"set-address", "1", "2"}, "unexpected argument '2'", "Usage: endcap-cli set-address [OPTIONS] [N]"},
  };
  for (const UsageErrorRow& row : rows) {
    const CliParse parse = Parse(row.args);
    const std::string name = row.args.empty() ? "(nothing)" : row.args.front();
    ASSERT_EQ(parse.outcome.kind, ParseOutcome::Kind::UsageError) << name;
    EXPECT_EQ(parse.outcome.text, row.message) << name;
    EXPECT_NE(parse.outcome.usage.find(row.usageLine), std::string::npos) << name << "\n" << parse.outcome.usage;
  }
}

TEST(CliOptionsTest, WritesAtMostWhatOneRequestCarries) {
  std::vector<std::string> args = {"registers", "write", "0"};
  for (int i = 0; i < 123; ++i) args.push_back("1");
  EXPECT_EQ(Parse(args).outcome.kind, ParseOutcome::Kind::Run);
  args.push_back("1");
  const CliParse parse = Parse(args);
  EXPECT_EQ(parse.outcome.kind, ParseOutcome::Kind::UsageError);
  EXPECT_EQ(parse.outcome.text, "VALUE: at most 123 registers can be written at once");
}

}  // namespace
}  // namespace endcap
