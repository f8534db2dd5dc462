// The frames the station sends, byte for byte, and the judgement of every kind of reply, each
// row named by its whole frame with the CRC.

#include <gtest/gtest.h>

#include <vector>

#include "protocol/modbus_frame.h"
#include "protocol/register_map.h"
#include "tests/support/frame_text.h"

namespace endcap::modbus {
namespace {

using testing::Hex;
using testing::HexText;

TEST(ModbusRequest, EachRequestOfTheStationWithItsCrc) {
  const uint16_t coefficients[2] = {0x3DCC, 0xCCCD};
  const struct {
    const char* frame;
    Frame request;
  } rows[] = {
      {"fa 04 00 02 00 03 04 40", ReadInputRegistersRequest(2, 3)},
      {"fa 06 00 c8 00 01 dc 7f", WriteSingleRegisterRequest(200, 1)},
      // Above 8 the value field's first byte is the unit's flag, not the value's high byte.
      {"fa 06 00 dc 01 aa dc 54", WriteSingleRegisterRequest(220, 0xAA)},
      {"fa 10 00 78 00 02 04 3d cc cc cd 8a 0c", WriteMultipleRegistersRequest(120, coefficients, 2)},
      {"fa 41 16 c3 2e d9", ControlRequest(reg::kUnlockFunction, reg::kAccessCode)},
      {"fa 42 00 00 90 e8", ControlRequest(reg::kReleaseFunction, 0)},
      {"fa 45 00 00 21 29", ControlRequest(reg::kBoardTestFunction, 0)},
      {"fa 46 00 00 d1 29", ControlRequest(reg::kBootLoaderFunction, 0)},
  };
  for (const auto& row : rows) EXPECT_EQ(HexText(WithCrc(row.request)), row.frame);
}

TEST(ModbusRequest, AMultipleWriteStopsAtWhatFitsTheRequest) {
  const std::vector<uint16_t> values(125, 0x1234);
  EXPECT_EQ(WriteMultipleRegistersRequest(0, values.data(), 124).size(), kMaxRequestBody);
  EXPECT_TRUE(WriteMultipleRegistersRequest(0, values.data(), 125).empty());
  EXPECT_TRUE(WriteMultipleRegistersRequest(0, values.data(), -1).empty());
}

TEST(ModbusRequest, LengthIsKnownFromTheFirstBytes) {
  const struct {
    const char* start;
    int length;
  } rows[] = {
      {"fa", 0},
      {"fa 04", 8},
      {"fa 06", 8},
      {"fa 10 00 08 00 02", 0},
      {"fa 10 00 08 00 02 04", 13},
      {"fa 41", 6},
      {"fa 46", 6},
      {"fa 03", -1},
  };
  for (const auto& row : rows) {
    const Frame start = Hex(row.start);
    EXPECT_EQ(RequestLength(start.data(), start.size()), row.length) << row.start;
  }
}

TEST(ModbusReply, EachKindOfReplyIsJudgedAndDescribed) {
  const struct {
    uint8_t function;
    const char* frame;
    ReplyError error;
    const char* described;
  } rows[] = {
      {4, "fa 04 02 00 07 1d 26", ReplyError::None, ""},
      {4, "", ReplyError::NoReply, "no reply"},
      {4, "fa", ReplyError::Short, "short reply (1 bytes)"},
      {4, "fa 04", ReplyError::Short, "short reply (2 bytes)"},
      {4, "fa 04 02 01 07 1d 26", ReplyError::BadCrc, "bad CRC"},
      {4, "fa 84 02 b3 30", ReplyError::Exception, "exception code 2"},
      // An exception frame is the unit's answer wherever it says it comes from.
      {4, "fb 84 02 e2 f0", ReplyError::Exception, "exception code 2"},
      // Exception code 0 is no exception: only too short for a read.
      {4, "fa 84 00 32 f1", ReplyError::Short, "short reply (5 bytes)"},
      {4, "fa 04 00 00 71 3d", ReplyError::Short, "short reply (6 bytes)"},
      {4, "fb 04 02 00 07 20 e6", ReplyError::Wrong, "wrong reply"},
      {4, "fa 03 02 00 07 1c 52", ReplyError::Wrong, "wrong reply"},
      {4, "fa 04 04 00 07 fd 27", ReplyError::Wrong, "wrong reply"},
      {4, "fa 04 03 00 07 08 e6 33", ReplyError::Wrong, "wrong reply"},
      // The echo of a read request: its third byte counts no data it carries.
      {4, "fa 04 00 02 00 03 04 40", ReplyError::Wrong, "wrong reply"},
      {6, "fa 06 00 c8 00 01 dc 7f", ReplyError::None, ""},
      {6, "fa 06 00 c8 01 6a 9c", ReplyError::Short, "short reply (7 bytes)"},
      {16, "fa 10 00 0c 00 01 d4 41", ReplyError::None, ""},
      {16, "fa 10 00 0c 00 01 02 c0 9e", ReplyError::Wrong, "wrong reply"},
      {65, "fa 41 42 e1 90", ReplyError::None, ""},
      {65, "fa c1 01 c1 a1", ReplyError::Exception, "exception code 1"},
  };
  for (const auto& row : rows) {
    const Frame received = Hex(row.frame);
    const Reply reply = DecodeReply(row.function, received.data(), static_cast<int>(received.size()));
    EXPECT_EQ(reply.error, row.error) << row.frame;
    EXPECT_EQ(reply.bytes, static_cast<int>(received.size())) << row.frame;
    EXPECT_EQ(DescribeReply(reply), row.described) << row.frame;
  }
}

TEST(ModbusReply, AGoodCrcIsToldApartFromWhatTheFrameSays) {
  const struct {
    const char* frame;
    bool crcGood;
  } rows[] = {
      {"", false},
      {"fa 04", false},
      {"fa 04 02 01 07 1d 26", false},
      {"fa 84 02 b3 30", true},
      {"fa 04 00 00 71 3d", true},
      {"fb 04 02 00 07 20 e6", true},
  };
  for (const auto& row : rows) {
    const Frame received = Hex(row.frame);
    EXPECT_EQ(DecodeReply(4, received.data(), static_cast<int>(received.size())).crcGood(), row.crcGood) << row.frame;
  }
}

TEST(ModbusReply, TheUnitsRepliesAsTheSimulatedUnitBuildsThem) {
  EXPECT_EQ(HexText(WithCrc(ExceptionReply(reg::kWriteMultipleRegisters, kIllegalFunction))), "fa 90 01 fc 31");
  EXPECT_EQ(HexText(WithCrc(ControlReply(reg::kUnlockFunction))), "fa 41 42 e1 90");
}

}  // namespace
}  // namespace endcap::modbus
