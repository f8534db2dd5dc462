// The PCB test's own unit checks on a scripted unit: the current windows, the internal RS485
// loop's two writes and read-backs, and the RS485 link read, with their boxes; and how the
// supply checks and the loop treat a write the unit refused and a unit that has gone.

#include <gtest/gtest.h>

#include <cmath>

#include "tests/unit/client_fixture.h"

namespace endcap {
namespace {

using testing::Hex;
using testing::HexText;
using testing::UnitClientTest;
using testing::ReadReply;
using testing::WithCrc;

struct CurrentRow {
  bool loaded;
  double currentMa;
  bool pass;
};

TEST_F(UnitClientTest, SupplyCurrentWindowsIncludeBothEndsAndNothingElse) {
  const CurrentRow rows[] = {
      {true, 90.0, true},     {true, 110.0, true},   {true, 89.9, false},     {true, 110.01, false},
      {true, 30.0, false},    {false, 25.0, true},   {false, 35.0, true},     {false, 24.99, false},
      {false, 35.1, false},   {false, 100.0, false}, {false, 0.0, false},     {true, std::nan(""), false},
  };
  for (const CurrentRow& row : rows)
    EXPECT_EQ(CheckSupplyCurrent(limits, row.loaded, row.currentMa), row.pass) << row.loaded << " " << row.currentMa;
  EXPECT_TRUE(Sent().empty());
}

class Rs485Test : public UnitClientTest {
protected:
  void QueueLoop(uint16_t firstReadBack, uint16_t secondReadBack) {
    peer.QueueWithCrc(Hex("fa 06 00 dc 01 aa"));
    peer.QueueWithCrc(ReadReply({firstReadBack}));
    peer.QueueWithCrc(Hex("fa 06 00 dc 01 55"));
    peer.QueueWithCrc(ReadReply({secondReadBack}));
  }
  void ExpectLoopBoxes(const char* verdict) {
    op.ExpectUnownedBox(verdict, "Internal RS485");
  }
};

TEST_F(Rs485Test, InternalLoopWritesBothPatternsWithTheFlagByteAndReadsEachBack) {
  QueueLoop(0x01AA, 0x0155);
  ExpectLoopBoxes("Pass");
  EXPECT_TRUE(CheckInternalRs485(client, op, true));
  const std::vector<std::string> expected = {
      HexText(WithCrc(Hex("fa 06 00 dc 01 aa"))), HexText(WithCrc(Hex("fa 04 00 dc 00 01"))),
      HexText(WithCrc(Hex("fa 06 00 dc 01 55"))), HexText(WithCrc(Hex("fa 04 00 dc 00 01")))};
  EXPECT_EQ(Sent(), expected);
}

TEST_F(Rs485Test, EitherHalfThatReadsBackWrongFailsButBothHalvesRun) {
  const std::pair<uint16_t, uint16_t> readBacks[] = {{0x01AA, 0x0055}, {0x00AA, 0x0155}, {0x0155, 0x01AA}};
  for (const auto& [first, second] : readBacks) {
    QueueLoop(first, second);
    EXPECT_FALSE(CheckInternalRs485(client, op, false)) << first << " " << second;
  }
  EXPECT_EQ(Sent().size(), 12u);
}

TEST_F(Rs485Test, ASilentUnitFailsTheLoopAfterBothHalvesWhenNothingIsShown) {
  EXPECT_FALSE(CheckInternalRs485(client, op, false));
  EXPECT_EQ(Sent().size(), 4u);
}

TEST_F(Rs485Test, APatternTheUnitRefusedFailsItsHalfWhateverTheRegisterStillHolds) {
  peer.QueueWithCrc(Hex("fa 86 04"));
  peer.QueueWithCrc(ReadReply({0x01AA}));  // left from an earlier run
  peer.QueueWithCrc(Hex("fa 06 00 dc 01 55"));
  peer.QueueWithCrc(ReadReply({0x0155}));
  ExpectLoopBoxes("FAIL!!");
  EXPECT_FALSE(CheckInternalRs485(client, op, true));
  EXPECT_EQ(Sent().size(), 4u);
}

// Shown in the PCB test, a check whose exchange finds the unit gone shows nothing more: the
// test says so once. The handshake that tells a lost unit is the last frame sent.
TEST_F(Rs485Test, AUnitGoneInTheLoopStopsItWithoutBoxes) {
  EXPECT_FALSE(CheckInternalRs485(client, op, true));
  EXPECT_EQ(Sent().size(), 2u);
  EXPECT_EQ(Sent().back(), HexText(WithCrc(Hex("fa 04 00 02 00 03"))));
  EXPECT_TRUE(client.UnitLost());
}

class SupplyTest : public UnitClientTest {
protected:
  void ExpectBoxes(const char* text, const char* caption) {
    op.ExpectUnownedBox(text, caption);
  }
};

TEST_F(SupplyTest, ARefusedMeasurementStartIsAFailedReadingNotTheLastOne) {
  peer.QueueWithCrc(Hex("fa 86 04"));
  ExpectBoxes("FAIL!!\r\n +12V = nan\r\n-12V = nan\r\n3.3V = nan", "Power supplies");
  EXPECT_FALSE(CheckPowerSupplies(client, op, limits, true));
  // Nothing is read after the refusal: the registers hold an older measurement.
  EXPECT_EQ(Sent(), std::vector<std::string>{HexText(WithCrc(Hex("fa 06 00 d2 00 00")))});
}

TEST_F(SupplyTest, ARefusedSupplySelectionFailsThatSupplyOnly) {
  peer.QueueWithCrc(Hex("fa 86 04"));
  peer.QueueWithCrc(Hex("fa 06 00 c8 00 01"));
  peer.QueueWithCrc(ReadReply({0, 0, 0, 0, 0x4080, 0}));  // 4.0: 12 V
  ExpectBoxes("Fail\r\n +12V = 12.00\r\n-12V = nan", "External supplies");
  EXPECT_FALSE(CheckExternalSupplies(client, op, limits, true));
  EXPECT_EQ(Sent().size(), 3u);
}

TEST_F(SupplyTest, AUnitGoneInASupplyCheckStopsItWithoutBoxes) {
  const std::string handshake = HexText(WithCrc(Hex("fa 04 00 02 00 03")));
  EXPECT_FALSE(CheckPowerSupplies(client, op, limits, true));
  EXPECT_EQ(Sent(), (std::vector<std::string>{HexText(WithCrc(Hex("fa 06 00 d2 00 00"))), handshake}));
  // The -12 V supply was not selected: the +12 V one is not tried.
  EXPECT_FALSE(CheckExternalSupplies(client, op, limits, true));
  EXPECT_EQ(Sent().size(), 3u);
  EXPECT_EQ(Sent().back(), HexText(WithCrc(Hex("fa 06 00 c8 00 00"))));
}

TEST_F(Rs485Test, CommsReadsTwentyOneRegistersFromZero) {
  peer.QueueWithCrc(ReadReply(std::vector<uint16_t>(21, 7)));
  op.ExpectUnownedBox("Pass", "RS485 comms");
  EXPECT_TRUE(CheckRs485Comms(client, op, true));
  EXPECT_EQ(Sent(), std::vector<std::string>{HexText(WithCrc(Hex("fa 04 00 00 00 15")))});

  peer.QueueSilence();
  op.ExpectUnownedBox("FAIL!!", "RS485 comms");
  EXPECT_FALSE(CheckRs485Comms(client, op, true));
  peer.QueueWithCrc(Hex("fa 84 02"));
  EXPECT_FALSE(CheckRs485Comms(client, op, false));
}

}  // namespace
}  // namespace endcap
