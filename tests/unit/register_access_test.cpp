// Transact's exchange and the exact request bytes of every register operation.

#include <gtest/gtest.h>

#include <functional>

#include "tests/unit/client_fixture.h"
#include "unit/conversions.h"

namespace endcap {
namespace {

using testing::EchoPeer;
using testing::Hex;
using testing::UnitClientTest;
using testing::WithCrc;

class TransactTest : public UnitClientTest {};

TEST_F(TransactTest, SixByteRequestGoesOutWithItsCrcLowByteFirst) {
  uint8_t frame[500] = {0xfa, 0x04, 0x00, 0x02, 0x00, 0x03};
  client.Transact(frame, 6, 12, 1);
  EXPECT_EQ(Sent(), std::vector<std::string>{"fa 04 00 02 00 03 04 40"});
}

TEST_F(TransactTest, RequestIsPrecededBy140MsOfPauses) {
  uint8_t frame[500] = {0xfa, 0x04, 0x00, 0x02, 0x00, 0x03};
  client.Transact(frame, 6, 12, 1);
  ASSERT_EQ(peer.receivedAtTick.size(), 1u);
  EXPECT_EQ(peer.receivedAtTick[0], 140u);
}

TEST_F(TransactTest, LastReplyIsDescribedForDiagnosis) {
  uint16_t values[1];
  peer.QueueSilence();
  client.ReadInputRegisters(2, 1, values, 1);
  EXPECT_EQ(client.DescribeLastReply(), "no reply");
  auto damaged = WithCrc(Hex("fa 04 02 00 07"));
  damaged[4] ^= 0x40;
  peer.Queue(damaged);
  client.ReadInputRegisters(2, 1, values, 1);
  EXPECT_EQ(client.DescribeLastReply(), "bad CRC");
  peer.QueueWithCrc(Hex("fa 84 02"));
  client.ReadInputRegisters(2, 1, values, 1);
  EXPECT_EQ(client.DescribeLastReply(), "exception code 2");
  peer.QueueWithCrc(Hex("fa 04 02 00 07"));
  client.ReadInputRegisters(2, 1, values, 1);
  EXPECT_EQ(client.DescribeLastReply(), "");
}

TEST_F(TransactTest, AShortReplyIsDescribedWithItsLength) {
  uint16_t values[1];
  // Two bytes are too few to carry a CRC: not a reply, but not silence either.
  peer.Queue(Hex("fa 04"));
  EXPECT_FALSE(client.ReadInputRegisters(2, 1, values, 1));
  EXPECT_EQ(client.DescribeLastReply(), "short reply (2 bytes)");
  // A good CRC over four bytes: below the five a read needs.
  peer.QueueWithCrc(Hex("fa 04 00 00"));
  EXPECT_FALSE(client.ReadInputRegisters(2, 1, values, 1));
  EXPECT_EQ(client.DescribeLastReply(), "short reply (6 bytes)");
  peer.QueueWithCrc(Hex("fa 06 00 c8 01"));
  EXPECT_FALSE(client.WriteSingleRegister(200, 200, 1));
  EXPECT_EQ(client.DescribeLastReply(), "short reply (7 bytes)");
}

TEST_F(TransactTest, PortThatCannotOpenGivesNoReplyAndWritesNothing) {
  port.isOpen = false;
  port.portNumber = 2;
  uint8_t frame[500] = {0xfa, 0x04, 0x00, 0x02, 0x00, 0x03};
  EXPECT_EQ(client.Transact(frame, 6, 12, 1).error, modbus::ReplyError::NoReply);
  EXPECT_TRUE(peer.received().empty());
  EXPECT_EQ(clock.ElapsedMs(), 0u);
}

TEST_F(TransactTest, RequestLengthIsTakenModulo256) {
  uint8_t frame[500] = {0xfa, 0x04, 0x00, 0x02, 0x00, 0x03};
  client.Transact(frame, 256 + 6, 12, 1);
  EXPECT_EQ(Sent(), std::vector<std::string>{"fa 04 00 02 00 03 04 40"});
}

class RegisterAccessTest : public UnitClientTest {};

TEST_F(RegisterAccessTest, ReadInputRegistersFrameAndValues) {
  peer.QueueWithCrc(Hex("fa 04 06 00 01 00 02 00 61"));
  uint16_t values[3] = {};
  ASSERT_TRUE(client.ReadInputRegisters(2, 3, values, 2));
  EXPECT_EQ(Sent(), std::vector<std::string>{"fa 04 00 02 00 03 04 40"});
  EXPECT_EQ(values[0], 1);
  EXPECT_EQ(values[1], 2);
  EXPECT_EQ(values[2], 0x61);
}

TEST_F(RegisterAccessTest, ShortReplyOfSevenBytesStillCountsAndMissingValuesReadZero) {
  peer.QueueWithCrc(Hex("fa 04 02 12 34"));
  uint16_t values[3] = {0xAAAA, 0xAAAA, 0xAAAA};
  ASSERT_TRUE(client.ReadInputRegisters(2, 3, values, 2));
  EXPECT_EQ(values[0], 0x1234);
  EXPECT_EQ(values[1], 0);
  EXPECT_EQ(values[2], 0);
}

TEST_F(RegisterAccessTest, ExceptionReplyFailsEveryOperation) {
  uint16_t values[3];
  const uint16_t one = 1;
  peer.QueueWithCrc(Hex("fa 84 02"));
  EXPECT_FALSE(client.ReadInputRegisters(2, 3, values, 1));
  peer.QueueWithCrc(Hex("fa 86 02"));
  EXPECT_FALSE(client.WriteSingleRegister(1, 200, 1));
  peer.QueueWithCrc(Hex("fa c1 01"));
  EXPECT_FALSE(client.SendControlFunction(5827, 65, 1));
  peer.QueueWithCrc(Hex("fa c1 01"));
  peer.QueueWithCrc(Hex("fa 90 02"));
  EXPECT_FALSE(client.WriteMultipleRegisters(12, 1, &one, 1));
}

TEST_F(RegisterAccessTest, AnEchoOfTheRequestFailsEveryOperation) {
  EchoPeer echo(line);
  uint16_t values[4];
  const uint16_t one = 1;
  const struct {
    const char* name;
    std::function<bool()> run;
    const char* why;
  } rows[] = {
      {"read 3 from 2", [&] { return client.ReadInputRegisters(2, 3, values, 1); }, "wrong reply"},
      {"read 4 from 300", [&] { return client.ReadInputRegisters(300, 4, values, 1); }, "wrong reply"},
      // The echo's third byte is the first register's high byte: 3 here, as many as it carries.
      {"read 1 from 1000", [&] { return client.ReadInputRegisters(1000, 1, values, 1); }, "wrong reply"},
      {"write single", [&] { return client.WriteSingleRegister(1, 200, 1); }, nullptr},
      {"unlock", [&] { return client.Unlock(); }, ""},
      // Longer than the expected count: cut short, so its CRC is wrong.
      {"write multiple", [&] { return client.WriteMultipleRegisters(12, 1, &one, 1); }, "bad CRC"},
  };
  for (const auto& row : rows) {
    const bool done = row.run();
    if (!row.why) {
      // The unit's own reply to a single write is the echo of the request: nothing tells them apart.
      EXPECT_TRUE(done) << row.name;
      continue;
    }
    EXPECT_FALSE(done) << row.name;
    EXPECT_EQ(client.DescribeLastReply(), row.why) << row.name;
  }
}

TEST_F(RegisterAccessTest, AReplyFromAnotherAddressOrFunctionIsWrong) {
  const struct {
    const char* reply;
    bool ok;
  } rows[] = {
      {"fa 04 02 00 07", true},
      {"fb 04 02 00 07", false},  // another slave
      {"fa 03 02 00 07", false},  // another function
      {"fa 04 04 00 07", false},  // counts more data than it carries
      {"fa 04 00 00 07", false},
      {"fa 04 03 00 07 08", false},  // registers come in pairs of bytes
  };
  for (const auto& row : rows) {
    peer.QueueWithCrc(Hex(row.reply));
    uint16_t value = 0;
    EXPECT_EQ(client.ReadInputRegisters(2, 1, &value, 1), row.ok) << row.reply;
    EXPECT_EQ(client.DescribeLastReply(), row.ok ? "" : "wrong reply") << row.reply;
  }
  peer.QueueWithCrc(Hex("fa 04 00 c8 00 01"));
  EXPECT_FALSE(client.WriteSingleRegister(1, 200, 1));
  peer.QueueWithCrc(Hex("fa 41 42"));
  peer.QueueWithCrc(Hex("fa 10 00 0c 00 01 02"));
  const uint16_t one = 1;
  EXPECT_FALSE(client.WriteMultipleRegisters(12, 1, &one, 1));
}

TEST_F(RegisterAccessTest, BadCrcFailsARead) {
  auto reply = WithCrc(Hex("fa 04 06 00 01 00 02 00 61"));
  reply.back() ^= 0xFF;
  peer.Queue(reply);
  uint16_t values[3];
  EXPECT_FALSE(client.ReadInputRegisters(2, 3, values, 1));
}

TEST_F(RegisterAccessTest, WriteSingleRegisterValueRule) {
  for (int i = 0; i < 3; ++i) peer.QueueWithCrc(Hex("fa 06 00 c8 00 01"));
  EXPECT_TRUE(client.WriteSingleRegister(1, 200, 10));
  client.WriteSingleRegister(0xAA, 220, 1);
  client.WriteSingleRegister(8, 220, 1);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 3u);
  // Whole frames with CRCs from an independent CRC-16/MODBUS implementation.
  EXPECT_EQ(sent[0], "fa 06 00 c8 00 01 dc 7f");
  EXPECT_EQ(sent[1], "fa 06 00 dc 01 aa dc 54");
  EXPECT_EQ(sent[2].substr(0, 17), "fa 06 00 dc 00 08");
}

TEST_F(RegisterAccessTest, WriteSingleRegisterNeedsSixBytes) {
  peer.QueueWithCrc(Hex("fa 06 00 c8"));
  EXPECT_FALSE(client.WriteSingleRegister(1, 200, 1));
  peer.QueueWithCrc(Hex("fa 06 00 c8 00 01"));
  EXPECT_TRUE(client.WriteSingleRegister(1, 200, 1));
}

TEST_F(RegisterAccessTest, ControlFunctionJudgesTheThirdByte) {
  peer.QueueWithCrc(Hex("fa 41 42"));
  EXPECT_TRUE(client.SendControlFunction(5827, 65, 1));
  EXPECT_EQ(Sent().back(), "fa 41 16 c3 2e d9");
  peer.QueueWithCrc(Hex("fa 41 43"));
  EXPECT_FALSE(client.SendControlFunction(5827, 65, 1));
}

TEST_F(RegisterAccessTest, WriteMultipleRegistersUnlocksFirst) {
  peer.QueueWithCrc(Hex("fa 41 42"));
  peer.QueueWithCrc(Hex("fa 10 00 78 00 02"));
  const uint16_t values[2] = {0x3DCC, 0xCCCD};
  EXPECT_TRUE(client.WriteMultipleRegisters(120, 2, values, 5));
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0], "fa 41 16 c3 2e d9");
  EXPECT_EQ(sent[1], "fa 10 00 78 00 02 04 3d cc cc cd 8a 0c");
}

TEST_F(RegisterAccessTest, WriteMultipleGoesOnWhenTheUnlockFailsAndJudgesTheEcho) {
  peer.QueueSilence();
  peer.QueueWithCrc(Hex("00 00 00 0c 00 01"));
  const uint16_t one = 1;
  EXPECT_FALSE(client.WriteMultipleRegisters(12, 1, &one, 1));
  EXPECT_EQ(peer.received().size(), 2u);
}

TEST_F(RegisterAccessTest, WriteMultipleRefusesMoreRegistersThanAFrameHolds) {
  std::vector<uint16_t> values(125, 0);
  EXPECT_FALSE(client.WriteMultipleRegisters(0, 125, values.data(), 1));
  EXPECT_TRUE(peer.received().empty());
}

TEST_F(RegisterAccessTest, PrepareBoardTestAndReleaseUnit) {
  peer.QueueWithCrc(Hex("fa 41 42"));
  peer.QueueWithCrc(Hex("fa 45 42"));
  EXPECT_TRUE(client.PrepareBoardTest());
  client.ReleaseUnit(false);
  EXPECT_EQ(peer.received().size(), 2u);
  client.ReleaseUnit(true);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_EQ(sent[1], "fa 45 00 00 21 29");
  EXPECT_EQ(sent[2], "fa 41 16 c3 2e d9");
  EXPECT_EQ(sent[3], "fa 42 00 00 90 e8");
}

}  // namespace
}  // namespace endcap
