// The terminal operator: exact rendering of boxes, questions, prompts and the port chooser, and
// how piped answers, wrong answers and the end of input are taken.

#include "cli/terminal_operator.h"

#include <gtest/gtest.h>

#include <sstream>

#include "serial/clock.h"
#include "serial/memory_device.h"

namespace endcap {
namespace {

class TerminalOperatorTest : public ::testing::Test {
protected:
  void Answers(const std::string& text) { in.str(text); }
  // What is left of the answers after the operator has read its own.
  std::string Unread() {
    std::string rest;
    std::getline(in, rest, '\0');
    return rest;
  }

  VirtualClock clock;
  MemoryPortProvider ports;
  std::istringstream in;
  std::ostringstream out;
  TerminalOperator op{in, out, ports};
};

TEST_F(TerminalOperatorTest, OkBoxShowsCaptionAndTextLinesAndWaitsForOneLine) {
  Answers("y\nn\n");
  const BoxAnswer answer =
      op.ShowMessage(UnownedBox("FAIL!!\r\n +12V = 12.03\r\n-12V = -12.04\r\n3.3V = 3.29", "Power supplies"));
  EXPECT_EQ(answer, BoxAnswer::Ok);
  EXPECT_EQ(out.str(),
            "=== Power supplies ===\nFAIL!!\n +12V = 12.03\n-12V = -12.04\n3.3V = 3.29\nPress Enter for OK ");
  EXPECT_EQ(Unread(), "n\n");
}

TEST_F(TerminalOperatorTest, OkBoxAtTheEndOfInputTakesOk) {
  EXPECT_EQ(op.ShowMessage(UnownedBox("Illegal entry!!")), BoxAnswer::Ok);
  EXPECT_EQ(out.str(), "=== Error ===\nIllegal entry!!\nPress Enter for OK (end of input: OK)\n");
}

TEST_F(TerminalOperatorTest, WindowBoxShowsTheApplicationNameAndKeepsTabs) {
  Answers("\n");
  op.ShowMessage(WindowBox("Overall unit serial\t123456-001\r\nModbus address\t\t250\r\n"));
  EXPECT_EQ(out.str(),
            "=== Remote inclinometer calibrate ===\nOverall unit serial\t123456-001\nModbus address\t\t250\n"
            "Press Enter for OK ");
}

TEST_F(TerminalOperatorTest, YesNoRepeatsTheQuestionUntilAnAnswerItKnows) {
  Answers("maybe\n\n  Y \nn\n");
  const BoxAnswer answer = op.ShowMessage(UnownedBox("Replace?", "", BoxButtons::YesNo));
  EXPECT_EQ(answer, BoxAnswer::Yes);
  EXPECT_EQ(out.str(), "=== Error ===\nReplace?\nYes or no? (y/n) Yes or no? (y/n) Yes or no? (y/n) ");
  EXPECT_EQ(Unread(), "n\n");
}

TEST_F(TerminalOperatorTest, YesNoTakesNoAtTheEndOfInputAndSaysSo) {
  Answers("what\n");
  const BoxAnswer answer = op.ShowMessage(UnownedBox("Replace?", "", BoxButtons::YesNo));
  EXPECT_EQ(answer, BoxAnswer::No);
  EXPECT_EQ(out.str(), "=== Error ===\nReplace?\nYes or no? (y/n) Yes or no? (y/n) (end of input: No)\n");
}

TEST_F(TerminalOperatorTest, YesNoAcceptsTheWordsInAnyCase) {
  Answers("NO\nyes\n");
  EXPECT_EQ(op.ShowMessage(UnownedBox("Q", "", BoxButtons::YesNo)), BoxAnswer::No);
  EXPECT_EQ(op.ShowMessage(UnownedBox("Q", "", BoxButtons::YesNo)), BoxAnswer::Yes);
}

TEST_F(TerminalOperatorTest, AbortRetryIgnoreTakesEachAnswerAndAbortAtTheEnd) {
  Answers("r\ni\nabort\n");
  const MessageBox box = UnownedBox("Out of tolerance", "Confirm result", BoxButtons::AbortRetryIgnore);
  EXPECT_EQ(op.ShowMessage(box), BoxAnswer::Retry);
  EXPECT_EQ(op.ShowMessage(box), BoxAnswer::Ignore);
  EXPECT_EQ(op.ShowMessage(box), BoxAnswer::Abort);
  out.str("");
  EXPECT_EQ(op.ShowMessage(box), BoxAnswer::Abort);
  EXPECT_EQ(out.str(),
            "=== Confirm result ===\nOut of tolerance\nAbort, retry or ignore? (a/r/i) (end of input: Abort)\n");
}

TEST_F(TerminalOperatorTest, PromptShowsCaptionAndDefaultAndReturnsTheTypedLine) {
  Answers("12\r\n");
  EXPECT_EQ(op.PromptText("Enter Modbus address for unit", "250"), "12");
  EXPECT_EQ(out.str(), "Enter Modbus address for unit [250]: ");
}

TEST_F(TerminalOperatorTest, PromptTakesTheDefaultOnAnEmptyLine) {
  Answers("\nab\n");
  EXPECT_EQ(op.PromptText("Enter Modbus address for unit", "250"), "250");
  EXPECT_EQ(Unread(), "ab\n");
}

TEST_F(TerminalOperatorTest, PromptTakesTheDefaultAtTheEndOfInputAndSaysSo) {
  EXPECT_EQ(op.PromptText("Enter unit serial No", "123456-001"), "123456-001");
  EXPECT_EQ(out.str(), "Enter unit serial No [123456-001]: (end of input: \"123456-001\")\n");
}

TEST_F(TerminalOperatorTest, PromptWithoutDefaultShowsOnlyTheCaption) {
  Answers("ab\n");
  EXPECT_EQ(op.PromptText("Enter operator ID 2/3 chars", ""), "ab");
  EXPECT_EQ(out.str(), "Enter operator ID 2/3 chars: ");
}

TEST_F(TerminalOperatorTest, EchoRepeatsEachAnswerAfterItsQuestion) {
  op.SetEcho(true);
  Answers("ab\nx\ny\n");
  op.PromptText("Enter operator ID 2/3 chars", "");
  op.ShowMessage(UnownedBox("Replace?", "", BoxButtons::YesNo));
  EXPECT_EQ(out.str(),
            "Enter operator ID 2/3 chars: ab\n=== Error ===\nReplace?\nYes or no? (y/n) x\nYes or no? (y/n) y\n");
}

TEST_F(TerminalOperatorTest, PipedAnswersAreTakenInOrder) {
  Answers("ab\n\nn\n");
  EXPECT_EQ(op.PromptText("Enter operator ID 2/3 chars", ""), "ab");
  EXPECT_EQ(op.PromptText("Enter unit serial No", "123456-001"), "123456-001");
  EXPECT_EQ(op.ShowMessage(UnownedBox("Replace?", "", BoxButtons::YesNo)), BoxAnswer::No);
  EXPECT_EQ(op.PromptText("Enter exact pitch in degrees", "10.0"), "10.0");
}

TEST_F(TerminalOperatorTest, AGivenAnswerIsShownAfterItsPromptEveryTimeAndReadsNothing) {
  op.SetGivenAnswers({{"Enter unit serial No", "123456-7"}, {"Enter operator ID 2/3 chars", ""}});
  Answers("typed\n");
  EXPECT_EQ(op.PromptText("Enter unit serial No", "123456-001"), "123456-7");
  EXPECT_EQ(op.PromptText("Enter unit serial No", ""), "123456-7");
  EXPECT_EQ(op.PromptText("Enter operator ID 2/3 chars", "AB"), "AB");  // given empty: the default
  EXPECT_EQ(out.str(),
            "Enter unit serial No [123456-001]: 123456-7\nEnter unit serial No: 123456-7\n"
            "Enter operator ID 2/3 chars [AB]: \n");
  EXPECT_EQ(Unread(), "typed\n");
}

TEST_F(TerminalOperatorTest, ABenchStepIsNotDoneAtTheEndOfInputAndNamesWhereTheInputEnded) {
  Answers("\n");
  EXPECT_EQ(op.ShowMessage(BenchStepBox("Set pressure to zero", "Pressure Cal.")), BoxAnswer::Ok);
  EXPECT_EQ(op.inputEndedAt(), "");
  EXPECT_EQ(op.ShowMessage(BenchStepBox("Mount the end-cap\r\nUse the reference sensors")), BoxAnswer::Cancel);
  EXPECT_EQ(op.PromptBenchStep("Set measurement pressure", "1400.000"), std::nullopt);
  EXPECT_EQ(op.ShowMessage(DialogBox("Calibration successful")), BoxAnswer::Ok);
  EXPECT_EQ(op.inputEndedAt(), "Mount the end-cap");
  EXPECT_EQ(out.str(),
            "=== Pressure Cal. ===\nSet pressure to zero\nPress Enter for OK "
            "=== Remote inclinometer calibrate ===\nMount the end-cap\nUse the reference sensors\n"
            "Press Enter for OK (end of input: stopped)\n"
            "Set measurement pressure [1400.000]: (end of input: stopped)\n"
            "=== Remote inclinometer calibrate ===\nCalibration successful\nPress Enter for OK (end of input: OK)\n");
}

TEST_F(TerminalOperatorTest, ABenchStepPromptTakesTheTypedPressure) {
  Answers("1200\n");
  EXPECT_EQ(op.PromptBenchStep("Set measurement pressure", "1400.000"), std::optional<std::string>("1200"));
  EXPECT_EQ(op.inputEndedAt(), "");
}

TEST_F(TerminalOperatorTest, YesAnswersOnlyTheWarningsBeforeGoingOn) {
  op.SetYesToGoingOn(true);
  MessageBox warning = DialogBox("Warning!!\r\nContinue?", kApplicationName, BoxButtons::YesNo, BoxIcon::Warning);
  warning.asks = BoxAsks::GoingOn;
  Answers("n\n");
  EXPECT_EQ(op.ShowMessage(warning), BoxAnswer::Yes);
  EXPECT_EQ(op.ShowMessage(UnownedBox("Accept it as OK?", "ERROR", BoxButtons::YesNo)), BoxAnswer::No);
  EXPECT_EQ(out.str(),
            "=== Remote inclinometer calibrate ===\nWarning!!\nContinue?\nYes or no? (y/n) y\n"
            "=== ERROR ===\nAccept it as OK?\nYes or no? (y/n) ");
}

TEST_F(TerminalOperatorTest, TheLastQuestionAnsweredNoIsKeptOnOneLine) {
  Answers("n\ny\n");
  op.ShowMessage(UnownedBox("An offset value of 99.000 is excessive\r\nAccept it as OK?", "ERROR", BoxButtons::YesNo));
  op.ShowMessage(UnownedBox("Replace?", "", BoxButtons::YesNo));
  EXPECT_EQ(op.declined(), "An offset value of 99.000 is excessive Accept it as OK?");
  op.ShowMessage(UnownedBox("Full scale?", "", BoxButtons::YesNo));  // the end of input: No
  EXPECT_EQ(op.declined(), "Full scale?");
}

class TerminalPortChooserTest : public TerminalOperatorTest {
protected:
  TerminalPortChooserTest() {
    ports.Attach(3, com3);
    ports.Attach(5, com5);
  }
  MemoryLine com3{clock};
  MemoryLine com5{clock};
};

TEST_F(TerminalPortChooserTest, ListsThePortsThatOpenAndTakesTheFirstOnAnEmptyLine) {
  Answers("\n");
  EXPECT_EQ(op.ChoosePort(), 3);
  EXPECT_EQ(out.str(), "=== Choose comm port ===\nCOMM  3\nCOMM  5\nPort number (0 for none) [3]: ");
  EXPECT_EQ(ports.openCount(), 2);
  EXPECT_FALSE(com3.inUse());
  EXPECT_FALSE(com5.inUse());
}

TEST_F(TerminalPortChooserTest, NamesEachPortsDeviceWhenThePathsAreKnown) {
  PortMap paths;
  paths.Set(3, "/dev/pts/7");
  op.SetPortPaths(paths);
  Answers("\n");
  op.ChoosePort();
  EXPECT_EQ(out.str(), "=== Choose comm port ===\nCOMM  3  /dev/pts/7\nCOMM  5  /dev/ttyUSB0\nPort number (0 for none) [3]: ");
}

TEST_F(TerminalPortChooserTest, PreselectsComOneWhenItOpens) {
  MemoryLine com1{clock};
  ports.Attach(1, com1);
  Answers("\n");
  EXPECT_EQ(op.ChoosePort(), 1);
  EXPECT_EQ(out.str(), "=== Choose comm port ===\nCOMM  1\nCOMM  3\nCOMM  5\nPort number (0 for none) [1]: ");
}

TEST_F(TerminalPortChooserTest, TakesATypedNumberAndAsksAgainOnAnythingElse) {
  Answers("five\n123\n 12 \n");
  EXPECT_EQ(op.ChoosePort(), 12);
  EXPECT_EQ(out.str(),
            "=== Choose comm port ===\nCOMM  3\nCOMM  5\n"
            "Port number (0 for none) [3]: Port number (0 for none) [3]: Port number (0 for none) [3]: ");
}

TEST_F(TerminalPortChooserTest, ZeroChoosesNoPort) {
  Answers("0\n");
  EXPECT_EQ(op.ChoosePort(), 0);
}

TEST_F(TerminalPortChooserTest, EndOfInputTakesTheDefaultAndSaysSo) {
  EXPECT_EQ(op.ChoosePort(), 3);
  EXPECT_EQ(out.str(),
            "=== Choose comm port ===\nCOMM  3\nCOMM  5\nPort number (0 for none) [3]: (end of input: COMM  3)\n");
}

TEST_F(TerminalPortChooserTest, ABusyPortIsNotListed) {
  SerialError error;
  const auto held = ports.OpenPort(3, error);
  ASSERT_TRUE(held);
  Answers("\n");
  EXPECT_EQ(op.ChoosePort(), 5);
  EXPECT_EQ(out.str(), "=== Choose comm port ===\nCOMM  5\nPort number (0 for none) [5]: ");
}

TEST_F(TerminalOperatorTest, ChooserWithNoPortOffersNone) {
  Answers("\n");
  EXPECT_EQ(op.ChoosePort(), 0);
  EXPECT_EQ(out.str(), "=== Choose comm port ===\nPort number (0 for none) [0]: ");
}

TEST_F(TerminalPortChooserTest, FixedPortIsReturnedWithoutProbingOrAsking) {
  op.SetFixedPort(7);
  Answers("3\n");
  EXPECT_EQ(op.ChoosePort(), 7);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(ports.openCount(), 0);
  EXPECT_EQ(Unread(), "3\n");
}

}  // namespace
}  // namespace endcap
