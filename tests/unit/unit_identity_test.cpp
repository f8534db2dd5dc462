// Reading and showing the unit's identity, serial-number entry and confirmation, and the
// calibration records.

#include <gtest/gtest.h>

#include "protocol/register_values.h"
#include "tests/unit/client_fixture.h"
#include "unit/cal_record.h"

namespace endcap {
namespace {

using testing::Hex;
using testing::UnitClientTest;
using testing::ReadReply;

// The lines shown whatever sensors are enabled, for the unit FillIdentity describes.
constexpr const char* kIdentityLines =
            "Overall unit serial\t123456-007\r\n"
            "Firmware version\t1.02a\r\n"
            "Modbus address\t\t250\r\n"
            "Overall unit current\t72 ma\r\n\r\n"
            "PCB\t\t\t6120-047-03\r\n"
            "Serial\t\t\tE23456-001\r\n"
            "ID No\t\t\t01:0706050403200\r\n\r\n";

class IdentityTest : public UnitClientTest {
protected:
  void FillIdentity() {
    unit.unitSerial = "123456-007";
    unit.boardSerial = "E23456-001";
    unit.firmwareMajor = 1;
    unit.firmwareMinor = 2;
    unit.firmwareLetter = 'a';
    unit.modbusAddress = 250;
    unit.unitCurrentMa = 72;
    unit.pcbDrawing[0] = 6120;
    unit.pcbDrawing[1] = 47;
    unit.pcbDrawing[2] = 3;
    const uint8_t id[8] = {1, 200, 3, 4, 5, 6, 7, 8};
    std::copy(id, id + 8, unit.idNumber);
    unit.inclinometerFullScaleDeg = 45.0;
    unit.inclinometerAccuracyPercent = 0.1;
    unit.inclinometerWarmUpTenths = 25;
    unit.inclinometerSamples = 16;
    unit.gaugeSerialNo = 4000000001u;
    unit.gaugeFullScaleBar = 20.0;
    unit.gaugeAccuracyPercent = 0.1;
    unit.strainGaugeWarmUpTenths = 55;
    unit.calRecords[0] = DecodeCalRecord(EncodeCalRecord({0, 7, 3, 5, {'A', 'B', 0, 0}, 1}).data());
  }
};

TEST_F(IdentityTest, InformationTextWithBothSensorsEnabled) {
  FillIdentity();
  unit.enabledSensors = 3;
  EXPECT_EQ(FormatUnitInfo(unit),
            std::string(kIdentityLines) +
            "Inclinometer FS\t\t45.000 degrees\r\n"
            "Inclinometer accuracy\t0.100%\r\n"
            "Inclinometer warm-up\t2.50 secs\r\n"
            "Inclinometer samples \t16\r\n\r\n"
            "Pressure sensor SerNo\t4000000001\r\n"
            "Pressure FS\t\t20.0 BAR\r\n"
            "Pressure accuracy\t0.10 %\r\n"
            "Pressure warm-up\t5.50 secs\r\n\r\n"
            "Factory cal\t\t07/03/05  AB@\r\n"
            "Inclinometer cal\tNot calibrated\r\n"
            "Pressure cal\t\tNot calibrated\r\n");
}

TEST_F(IdentityTest, InformationTextWithNoSensorEnabledFollowsRegisterZeroNotTheFittedBits) {
  FillIdentity();
  unit.enabledSensors = 0;
  unit.fittedSensors = 3;
  EXPECT_EQ(FormatUnitInfo(unit),
            std::string(kIdentityLines) +
            "Factory cal\t\t07/03/05  AB@\r\n");
}

TEST_F(IdentityTest, ReadUnitInfoDecodesAllFourBlocks) {
  std::vector<uint16_t> identity = {2, 3, 1, 2, 'a', 6120, 47, 3, 0xE234, 0x5601, 0x1234, 0x5607, 250,
                                    9, 1, 2, 3, 4, 5, 6, 0x1FF, 0x0001, 0x0002};
  std::vector<uint16_t> settings(12, 0);
  Int32ToRegisters(settings.data(), 0, FloatBits(0.25f));
  Int32ToRegisters(settings.data(), 2, FloatBits(45.0f));
  settings[4] = 16;
  settings[5] = 25;
  settings[6] = 55;
  settings[7] = 72;
  std::vector<uint16_t> pressure(5, 0);
  Int32ToRegisters(pressure.data(), 0, FloatBits(20.0f));
  Int32ToRegisters(pressure.data(), 2, FloatBits(0.5f));
  std::vector<uint16_t> records(20, 0xFFFF);
  const auto stamped = EncodeCalRecord({1, 8, 12, 26, {'X', 'Y', 'Z', 0}, 0x1A5});
  std::copy(stamped.begin(), stamped.end(), records.begin() + 4);
  peer.QueueWithCrc(ReadReply(identity));
  peer.QueueWithCrc(ReadReply(settings));
  peer.QueueWithCrc(ReadReply(pressure));
  peer.QueueWithCrc(ReadReply(records));
  ReadUnitInfo(client, unit);
  EXPECT_EQ(Sent(), (std::vector<std::string>{"fa 04 00 00 00 17 a5 8f", "fa 04 00 80 00 0c e4 6c",
                                              "fa 04 00 8c 00 05 e4 69", "fa 04 01 90 00 14 e4 5f"}));
  EXPECT_EQ(unit.enabledSensors, 2);
  EXPECT_EQ(unit.fittedSensors, 3);
  EXPECT_EQ(unit.firmwareLetter, 'a');
  EXPECT_EQ(unit.boardSerial, "E23456-001");
  EXPECT_EQ(unit.unitSerial, "123456-007");
  EXPECT_EQ(unit.modbusAddress, 250);
  EXPECT_EQ(unit.idNumber[0], 9);
  EXPECT_EQ(unit.idNumber[7], 0xFF);
  EXPECT_EQ(unit.gaugeSerialNo, 65538u);
  EXPECT_EQ(unit.inclinometerAccuracyPercent, 0.25);
  EXPECT_EQ(unit.inclinometerFullScaleDeg, 45.0);
  EXPECT_EQ(unit.inclinometerSamples, 16);
  EXPECT_EQ(unit.inclinometerWarmUpTenths, 25);
  EXPECT_EQ(unit.strainGaugeWarmUpTenths, 55);
  EXPECT_EQ(unit.unitCurrentMa, 72);
  EXPECT_EQ(unit.gaugeFullScaleBar, 20.0);
  EXPECT_EQ(unit.gaugeAccuracyPercent, 0.5);
  EXPECT_FALSE(unit.calRecords[0].Done());
  EXPECT_EQ(FormatCalRecord(unit, 1), "08/12/26  XYZ\r\n");
  EXPECT_EQ(unit.calRecords[1].marker, 0x1A5);
}

TEST_F(IdentityTest, FailedReadsLeaveTheirFieldsUnchanged) {
  unit.unitSerial = "111111-001";
  unit.unitCurrentMa = 33;
  peer.QueueSilence();
  peer.QueueWithCrc(Hex("fa 84 02"));
  ReadUnitInfo(client, unit);
  EXPECT_EQ(unit.unitSerial, "111111-001");
  EXPECT_EQ(unit.unitCurrentMa, 33);
}

TEST_F(IdentityTest, EachFailedReadIsNamedWithWhy) {
  const char* const names[] = {"identity (registers 0-22)", "settings (registers 128-139)",
                               "pressure settings (registers 140-144)", "calibration records (registers 400-419)"};
  const std::vector<uint16_t> sizes = {23, 12, 5, 20};
  for (int failing = 0; failing < 4; ++failing) {
    for (int read = 0; read < 4; ++read) {
      if (read == failing) peer.QueueWithCrc(Hex("fa 04 04 00 07"));  // counts more than it carries
      else peer.QueueWithCrc(ReadReply(std::vector<uint16_t>(sizes[read], 0)));
    }
    ReadUnitInfo(client, unit);
    EXPECT_EQ(unit.unitInfoReadFailures, std::string(names[failing]) + ": wrong reply") << failing;
  }
  for (int read = 0; read < 4; ++read) peer.QueueWithCrc(ReadReply(std::vector<uint16_t>(sizes[read], 0)));
  ReadUnitInfo(client, unit);
  EXPECT_EQ(unit.unitInfoReadFailures, "");
  peer.QueueSilence();
  for (int read = 1; read < 3; ++read) peer.QueueWithCrc(ReadReply(std::vector<uint16_t>(sizes[read], 0)));
  peer.QueueWithCrc(Hex("fa 84 02"));
  ReadUnitInfo(client, unit);
  EXPECT_EQ(unit.unitInfoReadFailures,
            "identity (registers 0-22): no reply; calibration records (registers 400-419): exception code 2");
}

TEST_F(IdentityTest, AFailedReadShowsThatTheUnitDidNotAnswerInsteadOfTheKeptValues) {
  FillIdentity();
  unit.enabledSensors = 3;
  peer.QueueSilence();
  for (uint16_t size : {12, 5, 20}) peer.QueueWithCrc(ReadReply(std::vector<uint16_t>(size, 0)));
  ReadUnitInfo(client, unit);
  EXPECT_EQ(FormatUnitInfo(unit),
            "The unit did not answer when its information was read\r\nidentity (registers 0-22): no reply\r\n");
}

TEST_F(IdentityTest, FirmwareLetterZeroPrintsAsNothing) {
  FillIdentity();
  unit.firmwareLetter = '\0';
  const std::string text = FormatUnitInfo(unit);
  EXPECT_EQ(text.find('\0'), std::string::npos);
  EXPECT_NE(text.find("Firmware version\t1.02\r\n"), std::string::npos);
}

TEST(CalRecord, LettersAndMarkerRoundTrip) {
  const CalRecord written{2, 31, 12, 99, {'A', 'B', 0, 0}, 0x155};
  const auto regs = EncodeCalRecord(written);
  EXPECT_EQ(regs[0], 2);
  EXPECT_EQ(regs[1], 0x1F0C);
  const CalRecord read = DecodeCalRecord(regs.data());
  EXPECT_STREQ(read.letters, "AB@");
  EXPECT_EQ(read.marker, 0x155);
  EXPECT_EQ(read.day, 31);
  EXPECT_EQ(read.year, 99);
  const uint16_t erased[4] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
  EXPECT_FALSE(DecodeCalRecord(erased).Done());
}

struct SerialRow {
  const char* entry;
  const char* text;
  bool valid;
  std::vector<const char*> messages;
};

TEST_F(IdentityTest, ValidateSerialText) {
  const SerialRow rows[] = {
      {"1234-5", "001234-005", true, {}},
      {"e12-7", "E00012-007", true, {}},
      {"123456-007", "123456-007", true, {}},
      {"123456-099", "123456-099", true, {}},
      {"123456-000", "000000-000", false, {}},
      {"000000-001", "000000-000", false, {}},
      {"123456", "000000-000", false, {"Illegal entry!!"}},
      {"-123", "000000-000", false, {"Illegal entry!!"}},
      {"12-3456", "000000-000", false, {"Illegal entry!!"}},
      {"12-", "000000-000", false, {"Illegal entry!!"}},
      {"1x3-4y", "000000-000", false, {"Illegal character!!", "Illegal character!!"}},
      {"12 34-5", "000000-000", false, {"Illegal character!!"}},
      // What the unit's six BCD digits and two-digit suffix cannot hold is refused, not altered.
      {"123456-123", "000000-000", false, {"Illegal entry!!"}},
      {"1234567-001", "000000-000", false, {"Illegal entry!!"}},
      {"E123456-001", "000000-000", false, {"Illegal entry!!"}},
      {"0001234-001", "001234-001", true, {}},
  };
  for (const SerialRow& row : rows) {
    for (const char* message : row.messages) op.ExpectUnownedBox(message);
    std::string text = row.entry;
    EXPECT_EQ(ValidateSerialText(op, text, true), row.valid) << row.entry;
    EXPECT_EQ(text, row.text) << row.entry;
    op.VerifyDone();
  }
  std::string silent = "1x3-4y";
  EXPECT_FALSE(ValidateSerialText(op, silent, false));
}

TEST_F(IdentityTest, ConfirmSerialOfANeverSetUnitStoresAndWritesTheEntry) {
  unit.unitSerial = "000000-000";
  op.ExpectPrompt("Enter unit serial No", "", "1234-5");
  peer.QueueWithCrc(Hex("fa 41 42"));
  peer.QueueWithCrc(Hex("fa 10 00 0a 00 02"));
  EXPECT_TRUE(ConfirmSerial(client, op, unit, false));
  EXPECT_EQ(unit.unitSerial, "001234-005");
  EXPECT_TRUE(unit.unitSerialConfirmed);
  ASSERT_EQ(Sent().size(), 2u);
  EXPECT_EQ(Sent()[1].substr(0, 32), "fa 10 00 0a 00 02 04 00 12 34 05");
  EXPECT_TRUE(ConfirmSerial(client, op, unit, false));  // confirmed: no second prompt
}

// The unit serial is the unit's: one it did not take is not kept, and the command stops.
TEST_F(IdentityTest, ConfirmSerialWhoseWriteTheUnitRefusedStopsAndKeepsTheUnitsSerial) {
  unit.unitSerial = "000000-000";
  op.ExpectPrompt("Enter unit serial No", "", "1234-5");
  peer.QueueWithCrc(Hex("fa 41 42"));
  peer.QueueWithCrc(Hex("fa 90 04"));
  EXPECT_FALSE(ConfirmSerial(client, op, unit, false));
  EXPECT_EQ(unit.unitSerial, "000000-000");
  EXPECT_FALSE(unit.unitSerialConfirmed);

  unit.unitSerial = "123456-007";
  op.ExpectPrompt("Enter unit serial No", "123456-007", "654321-001");
  op.ExpectUnownedBox(
      "Unit serial stored in board 123456-007 does not match entered serial 654321-001!!\r\n"
      "Do you wish to replace serial number stored in the board\r\n"
      "WARNING this will invalidate previous calibration!",
      "", BoxButtons::YesNo, BoxAnswer::Yes);
  peer.QueueWithCrc(Hex("fa 41 42"));
  peer.QueueWithCrc(Hex("fa 90 04"));
  EXPECT_FALSE(ConfirmSerial(client, op, unit, false));
  EXPECT_EQ(unit.unitSerial, "123456-007");
  EXPECT_EQ(Sent().size(), 4u);
}

TEST_F(IdentityTest, ConfirmSerialMatchingTheStoredOne) {
  unit.unitSerial = "123456-007";
  op.ExpectPrompt("Enter unit serial No", "123456-007", "123456-7");
  EXPECT_TRUE(ConfirmSerial(client, op, unit, false));
  EXPECT_TRUE(unit.unitSerialConfirmed);
  EXPECT_TRUE(peer.received().empty());
}

TEST_F(IdentityTest, ConfirmSerialMismatchAnsweredYesReplacesButStopsTheCommand) {
  unit.unitSerial = "123456-007";
  op.ExpectPrompt("Enter unit serial No", "123456-007", "654321-001");
  op.ExpectUnownedBox(
      "Unit serial stored in board 123456-007 does not match entered serial 654321-001!!\r\n"
      "Do you wish to replace serial number stored in the board\r\n"
      "WARNING this will invalidate previous calibration!",
      "", BoxButtons::YesNo, BoxAnswer::Yes);
  peer.QueueWithCrc(Hex("fa 41 42"));
  peer.QueueWithCrc(Hex("fa 10 00 0a 00 02"));
  EXPECT_FALSE(ConfirmSerial(client, op, unit, false));
  EXPECT_EQ(unit.unitSerial, "654321-001");
  EXPECT_FALSE(unit.unitSerialConfirmed);
  EXPECT_EQ(Sent().back().substr(0, 32), "fa 10 00 0a 00 02 04 65 43 21 01");
  op.ExpectPrompt("Enter unit serial No", "654321-001", "654321-001");
  EXPECT_TRUE(ConfirmSerial(client, op, unit, false));
}

TEST_F(IdentityTest, ConfirmSerialMismatchAnsweredNoKeepsTheStoredSerial) {
  unit.boardSerial = "123456-007";
  op.ExpectPrompt("Enter board serial No", "123456-007", "654321-001");
  op.ExpectUnownedBox(
      "Board serial stored in board 123456-007 does not match entered serial 654321-001!!\r\n"
      "Do you wish to replace serial number stored in the board\r\n"
      "WARNING this will invalidate previous calibration!",
      "", BoxButtons::YesNo, BoxAnswer::No);
  EXPECT_FALSE(ConfirmSerial(client, op, unit, true));
  EXPECT_EQ(unit.boardSerial, "123456-007");
  EXPECT_TRUE(peer.received().empty());
}

TEST_F(IdentityTest, ConfirmSerialClosedWithoutAnEntryStopsTheCommand) {
  unit.unitSerial = "000000-000";
  op.ExpectPromptClosed("Enter unit serial No", "");
  op.ExpectUnownedBox("Illegal entry!!");
  EXPECT_FALSE(ConfirmSerial(client, op, unit, false));
  EXPECT_FALSE(unit.unitSerialConfirmed);
  EXPECT_TRUE(peer.received().empty());
}

TEST_F(IdentityTest, BoardSerialOnlyReachesTheUnitThroughWriteBoardSerial) {
  unit.boardSerial = "000000-000";
  op.ExpectPrompt("Enter board serial No", "", "E1-2");
  EXPECT_TRUE(ConfirmSerial(client, op, unit, true));
  EXPECT_TRUE(peer.received().empty());
  peer.QueueWithCrc(Hex("fa 41 42"));
  peer.QueueWithCrc(Hex("fa 10 00 08 00 02"));
  EXPECT_TRUE(WriteBoardSerial(client, unit));
  EXPECT_EQ(Sent().back().substr(0, 32), "fa 10 00 08 00 02 04 e0 00 01 02");
  peer.QueueWithCrc(Hex("fa 41 42"));
  peer.QueueWithCrc(Hex("fa 90 04"));
  EXPECT_FALSE(WriteBoardSerial(client, unit));
}

TEST_F(IdentityTest, SerialOfTheWrongLengthIsNotWritten) {
  unit.unitSerial = "1234567-001";
  EXPECT_FALSE(WriteUnitSerial(client, unit));
  EXPECT_TRUE(peer.received().empty());
}

TEST_F(IdentityTest, WriteCalRecordStampsTodayAndTheOperator) {
  operatorId = "AB";
  unit.operatorMarker = 1;
  peer.QueueWithCrc(Hex("fa 41 42"));
  peer.QueueWithCrc(Hex("fa 10 01 94 00 04"));
  EXPECT_TRUE(WriteCalRecord(client, unit, operatorId, 1, true));
  // 8 December 2026: day 8, month 12, year 26; marker 1 in the lowest piece; A=1, B=2, none=0.
  EXPECT_EQ(Sent().back(), "fa 10 01 94 00 04 08 00 01 08 0c 1a 01 02 20 6a 1f");
  EXPECT_EQ(FormatCalRecord(unit, 1), "08/12/26  AB\r\n");
}

TEST_F(IdentityTest, AStampTheUnitRefusedIsNotKeptAsItsRecord) {
  operatorId = "AB";
  unit.operatorMarker = 1;
  peer.QueueWithCrc(Hex("fa 41 42"));
  peer.QueueWithCrc(Hex("fa 90 04"));
  EXPECT_FALSE(WriteCalRecord(client, unit, operatorId, 0, true));
  EXPECT_EQ(FormatCalRecord(unit, 0), "Not calibrated\r\n");
}

TEST_F(IdentityTest, WriteCalRecordErasesWithAllBitsSet) {
  unit.calRecords[2].month = 5;
  peer.QueueWithCrc(Hex("fa 41 42"));
  peer.QueueWithCrc(Hex("fa 10 01 98 00 04"));
  EXPECT_TRUE(WriteCalRecord(client, unit, operatorId, 2, false));
  EXPECT_EQ(Sent().back().substr(0, 44), "fa 10 01 98 00 04 08 ff ff ff ff ff ff ff ff");
  EXPECT_EQ(unit.calRecords[2].month, 5);
}

TEST_F(IdentityTest, ResetUnitStateForgetsWhatTheNextUnitMustConfirmButNotTheSerials) {
  unit.unitSerial = "123456-007";
  unit.unitSerialConfirmed = true;
  unit.operatorMarker = 1;
  unit.calRecords[1].marker = 1;
  ResetUnitState(unit);
  EXPECT_EQ(unit.unitSerial, "123456-007");
  EXPECT_FALSE(unit.unitSerialConfirmed);
  EXPECT_EQ(unit.operatorMarker, 0);
  EXPECT_FALSE(unit.calRecords[1].Done());
  EXPECT_EQ(unit.unitCurrentMa, -1);
}

}  // namespace
}  // namespace endcap
