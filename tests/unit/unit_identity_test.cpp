// Reading and showing the unit's identity, serial-number entry and confirmation, and the
// calibration records.

#include <gtest/gtest.h>

#include "protocol/register_values.h"
#include "tests/unit/link_fixture.h"
#include "unit/cal_record.h"

namespace endcap {
namespace {

using testing::Hex;
using testing::LinkTest;
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

class IdentityTest : public LinkTest {
protected:
  void FillIdentity() {
    link.unitSerial = "123456-007";
    link.boardSerial = "E23456-001";
    link.firmwareMajor = 1;
    link.firmwareMinor = 2;
    link.firmwareLetter = 'a';
    link.modbusAddress = 250;
    link.unitCurrentMa = 72;
    link.pcbDrawing[0] = 6120;
    link.pcbDrawing[1] = 47;
    link.pcbDrawing[2] = 3;
    const uint8_t id[8] = {1, 200, 3, 4, 5, 6, 7, 8};
    std::copy(id, id + 8, link.idNumber);
    link.inclinometerFullScaleDeg = 45.0;
    link.inclinometerAccuracyPercent = 0.1;
    link.inclinometerWarmUpTenths = 25;
    link.inclinometerSamples = 16;
    link.gaugeSerialNo = 4000000001u;
    link.gaugeFullScaleBar = 20.0;
    link.gaugeAccuracyPercent = 0.1;
    link.strainGaugeWarmUpTenths = 55;
    link.calRecords[0] = DecodeCalRecord(EncodeCalRecord({0, 7, 3, 5, {'A', 'B', 0, 0}, 1}).data());
  }
};

TEST_F(IdentityTest, InformationTextWithBothSensorsEnabled) {
  FillIdentity();
  link.enabledSensors = 3;
  EXPECT_EQ(link.FormatUnitInfo(),
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
  link.enabledSensors = 0;
  link.fittedSensors = 3;
  EXPECT_EQ(link.FormatUnitInfo(),
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
  link.ReadUnitInfo();
  EXPECT_EQ(Sent(), (std::vector<std::string>{"fa 04 00 00 00 17 a5 8f", "fa 04 00 80 00 0c e4 6c",
                                              "fa 04 00 8c 00 05 e4 69", "fa 04 01 90 00 14 e4 5f"}));
  EXPECT_EQ(link.enabledSensors, 2);
  EXPECT_EQ(link.fittedSensors, 3);
  EXPECT_EQ(link.firmwareLetter, 'a');
  EXPECT_EQ(link.boardSerial, "E23456-001");
  EXPECT_EQ(link.unitSerial, "123456-007");
  EXPECT_EQ(link.modbusAddress, 250);
  EXPECT_EQ(link.idNumber[0], 9);
  EXPECT_EQ(link.idNumber[7], 0xFF);
  EXPECT_EQ(link.gaugeSerialNo, 65538u);
  EXPECT_EQ(link.inclinometerAccuracyPercent, 0.25);
  EXPECT_EQ(link.inclinometerFullScaleDeg, 45.0);
  EXPECT_EQ(link.inclinometerSamples, 16);
  EXPECT_EQ(link.inclinometerWarmUpTenths, 25);
  EXPECT_EQ(link.strainGaugeWarmUpTenths, 55);
  EXPECT_EQ(link.unitCurrentMa, 72);
  EXPECT_EQ(link.gaugeFullScaleBar, 20.0);
  EXPECT_EQ(link.gaugeAccuracyPercent, 0.5);
  EXPECT_FALSE(link.calRecords[0].Done());
  EXPECT_EQ(link.FormatCalRecord(1), "08/12/26  XYZ\r\n");
  EXPECT_EQ(link.calRecords[1].marker, 0x1A5);
}

TEST_F(IdentityTest, FailedReadsLeaveTheirFieldsUnchanged) {
  link.unitSerial = "111111-001";
  link.unitCurrentMa = 33;
  peer.QueueSilence();
  peer.QueueWithCrc(Hex("fa 84 02"));
  link.ReadUnitInfo();
  EXPECT_EQ(link.unitSerial, "111111-001");
  EXPECT_EQ(link.unitCurrentMa, 33);
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
    link.ReadUnitInfo();
    EXPECT_EQ(link.unitInfoReadFailures, std::string(names[failing]) + ": wrong reply") << failing;
  }
  for (int read = 0; read < 4; ++read) peer.QueueWithCrc(ReadReply(std::vector<uint16_t>(sizes[read], 0)));
  link.ReadUnitInfo();
  EXPECT_EQ(link.unitInfoReadFailures, "");
  peer.QueueSilence();
  for (int read = 1; read < 3; ++read) peer.QueueWithCrc(ReadReply(std::vector<uint16_t>(sizes[read], 0)));
  peer.QueueWithCrc(Hex("fa 84 02"));
  link.ReadUnitInfo();
  EXPECT_EQ(link.unitInfoReadFailures,
            "identity (registers 0-22): no reply; calibration records (registers 400-419): exception code 2");
}

TEST_F(IdentityTest, AFailedReadShowsThatTheUnitDidNotAnswerInsteadOfTheKeptValues) {
  FillIdentity();
  link.enabledSensors = 3;
  peer.QueueSilence();
  for (uint16_t size : {12, 5, 20}) peer.QueueWithCrc(ReadReply(std::vector<uint16_t>(size, 0)));
  link.ReadUnitInfo();
  EXPECT_EQ(link.FormatUnitInfo(),
            "The unit did not answer when its information was read\r\nidentity (registers 0-22): no reply\r\n");
}

TEST_F(IdentityTest, FirmwareLetterZeroPrintsAsNothing) {
  FillIdentity();
  link.firmwareLetter = '\0';
  const std::string text = link.FormatUnitInfo();
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
    EXPECT_EQ(link.ValidateSerialText(text, true), row.valid) << row.entry;
    EXPECT_EQ(text, row.text) << row.entry;
    op.VerifyDone();
  }
  std::string silent = "1x3-4y";
  EXPECT_FALSE(link.ValidateSerialText(silent, false));
}

TEST_F(IdentityTest, ConfirmSerialOfANeverSetUnitStoresAndWritesTheEntry) {
  link.unitSerial = "000000-000";
  op.ExpectPrompt("Enter unit serial No", "", "1234-5");
  peer.QueueWithCrc(Hex("fa 41 42"));
  peer.QueueWithCrc(Hex("fa 10 00 0a 00 02"));
  EXPECT_TRUE(link.ConfirmSerial(false));
  EXPECT_EQ(link.unitSerial, "001234-005");
  EXPECT_TRUE(link.unitSerialConfirmed);
  ASSERT_EQ(Sent().size(), 2u);
  EXPECT_EQ(Sent()[1].substr(0, 32), "fa 10 00 0a 00 02 04 00 12 34 05");
  EXPECT_TRUE(link.ConfirmSerial(false));  // confirmed: no second prompt
}

// The unit serial is the unit's: one it did not take is not kept, and the command stops.
TEST_F(IdentityTest, ConfirmSerialWhoseWriteTheUnitRefusedStopsAndKeepsTheUnitsSerial) {
  link.unitSerial = "000000-000";
  op.ExpectPrompt("Enter unit serial No", "", "1234-5");
  peer.QueueWithCrc(Hex("fa 41 42"));
  peer.QueueWithCrc(Hex("fa 90 04"));
  EXPECT_FALSE(link.ConfirmSerial(false));
  EXPECT_EQ(link.unitSerial, "000000-000");
  EXPECT_FALSE(link.unitSerialConfirmed);

  link.unitSerial = "123456-007";
  op.ExpectPrompt("Enter unit serial No", "123456-007", "654321-001");
  op.ExpectUnownedBox(
      "Unit serial stored in board 123456-007 does not match entered serial 654321-001!!\r\n"
      "Do you wish to replace serial number stored in the board\r\n"
      "WARNING this will invalidate previous calibration!",
      "", BoxButtons::YesNo, BoxAnswer::Yes);
  peer.QueueWithCrc(Hex("fa 41 42"));
  peer.QueueWithCrc(Hex("fa 90 04"));
  EXPECT_FALSE(link.ConfirmSerial(false));
  EXPECT_EQ(link.unitSerial, "123456-007");
  EXPECT_EQ(Sent().size(), 4u);
}

TEST_F(IdentityTest, ConfirmSerialMatchingTheStoredOne) {
  link.unitSerial = "123456-007";
  op.ExpectPrompt("Enter unit serial No", "123456-007", "123456-7");
  EXPECT_TRUE(link.ConfirmSerial(false));
  EXPECT_TRUE(link.unitSerialConfirmed);
  EXPECT_TRUE(peer.received().empty());
}

TEST_F(IdentityTest, ConfirmSerialMismatchAnsweredYesReplacesButStopsTheCommand) {
  link.unitSerial = "123456-007";
  op.ExpectPrompt("Enter unit serial No", "123456-007", "654321-001");
  op.ExpectUnownedBox(
      "Unit serial stored in board 123456-007 does not match entered serial 654321-001!!\r\n"
      "Do you wish to replace serial number stored in the board\r\n"
      "WARNING this will invalidate previous calibration!",
      "", BoxButtons::YesNo, BoxAnswer::Yes);
  peer.QueueWithCrc(Hex("fa 41 42"));
  peer.QueueWithCrc(Hex("fa 10 00 0a 00 02"));
  EXPECT_FALSE(link.ConfirmSerial(false));
  EXPECT_EQ(link.unitSerial, "654321-001");
  EXPECT_FALSE(link.unitSerialConfirmed);
  EXPECT_EQ(Sent().back().substr(0, 32), "fa 10 00 0a 00 02 04 65 43 21 01");
  op.ExpectPrompt("Enter unit serial No", "654321-001", "654321-001");
  EXPECT_TRUE(link.ConfirmSerial(false));
}

TEST_F(IdentityTest, ConfirmSerialMismatchAnsweredNoKeepsTheStoredSerial) {
  link.boardSerial = "123456-007";
  op.ExpectPrompt("Enter board serial No", "123456-007", "654321-001");
  op.ExpectUnownedBox(
      "Board serial stored in board 123456-007 does not match entered serial 654321-001!!\r\n"
      "Do you wish to replace serial number stored in the board\r\n"
      "WARNING this will invalidate previous calibration!",
      "", BoxButtons::YesNo, BoxAnswer::No);
  EXPECT_FALSE(link.ConfirmSerial(true));
  EXPECT_EQ(link.boardSerial, "123456-007");
  EXPECT_TRUE(peer.received().empty());
}

TEST_F(IdentityTest, ConfirmSerialClosedWithoutAnEntryStopsTheCommand) {
  link.unitSerial = "000000-000";
  op.ExpectPromptClosed("Enter unit serial No", "");
  op.ExpectUnownedBox("Illegal entry!!");
  EXPECT_FALSE(link.ConfirmSerial(false));
  EXPECT_FALSE(link.unitSerialConfirmed);
  EXPECT_TRUE(peer.received().empty());
}

TEST_F(IdentityTest, BoardSerialOnlyReachesTheUnitThroughWriteBoardSerial) {
  link.boardSerial = "000000-000";
  op.ExpectPrompt("Enter board serial No", "", "E1-2");
  EXPECT_TRUE(link.ConfirmSerial(true));
  EXPECT_TRUE(peer.received().empty());
  peer.QueueWithCrc(Hex("fa 41 42"));
  peer.QueueWithCrc(Hex("fa 10 00 08 00 02"));
  EXPECT_TRUE(link.WriteBoardSerial());
  EXPECT_EQ(Sent().back().substr(0, 32), "fa 10 00 08 00 02 04 e0 00 01 02");
  peer.QueueWithCrc(Hex("fa 41 42"));
  peer.QueueWithCrc(Hex("fa 90 04"));
  EXPECT_FALSE(link.WriteBoardSerial());
}

TEST_F(IdentityTest, SerialOfTheWrongLengthIsNotWritten) {
  link.unitSerial = "1234567-001";
  EXPECT_FALSE(link.WriteUnitSerial());
  EXPECT_TRUE(peer.received().empty());
}

TEST_F(IdentityTest, WriteCalRecordStampsTodayAndTheOperator) {
  link.OperatorId = "AB";
  link.operatorMarker = 1;
  peer.QueueWithCrc(Hex("fa 41 42"));
  peer.QueueWithCrc(Hex("fa 10 01 94 00 04"));
  EXPECT_TRUE(link.WriteCalRecord(1, true));
  // 8 December 2026: day 8, month 12, year 26; marker 1 in the lowest piece; A=1, B=2, none=0.
  EXPECT_EQ(Sent().back(), "fa 10 01 94 00 04 08 00 01 08 0c 1a 01 02 20 6a 1f");
  EXPECT_EQ(link.FormatCalRecord(1), "08/12/26  AB\r\n");
}

TEST_F(IdentityTest, AStampTheUnitRefusedIsNotKeptAsItsRecord) {
  link.OperatorId = "AB";
  link.operatorMarker = 1;
  peer.QueueWithCrc(Hex("fa 41 42"));
  peer.QueueWithCrc(Hex("fa 90 04"));
  EXPECT_FALSE(link.WriteCalRecord(0, true));
  EXPECT_EQ(link.FormatCalRecord(0), "Not calibrated\r\n");
}

TEST_F(IdentityTest, WriteCalRecordErasesWithAllBitsSet) {
  link.calRecords[2].month = 5;
  peer.QueueWithCrc(Hex("fa 41 42"));
  peer.QueueWithCrc(Hex("fa 10 01 98 00 04"));
  EXPECT_TRUE(link.WriteCalRecord(2, false));
  EXPECT_EQ(Sent().back().substr(0, 44), "fa 10 01 98 00 04 08 ff ff ff ff ff ff ff ff");
  EXPECT_EQ(link.calRecords[2].month, 5);
}

TEST_F(IdentityTest, ResetUnitStateForgetsTheUnitButNotThePortOrSerials) {
  link.chosenPort = 3;
  link.unitSerial = "123456-007";
  link.OperatorId = "AB";
  link.operatorKnown = true;
  link.unitSerialConfirmed = true;
  link.calRecords[1].marker = 1;
  link.temperatureDegC = 20.0;
  link.ResetUnitState();
  EXPECT_EQ(link.chosenPort, 3);
  EXPECT_EQ(link.unitSerial, "123456-007");
  EXPECT_EQ(link.OperatorId, "");
  EXPECT_FALSE(link.operatorKnown);
  EXPECT_FALSE(link.unitSerialConfirmed);
  EXPECT_FALSE(link.calRecords[1].Done());
  EXPECT_EQ(link.unitCurrentMa, -1);
  EXPECT_EQ(link.temperatureDegC, -1000.0);
  EXPECT_EQ(link.firmwareFolder, "C:\\Microchip\\projects\\6120-047\\");
}

}  // namespace
}  // namespace endcap
