// The station's copy of the unit's identity and settings: reading it, showing it, reconciling
// entered serial numbers with the unit's, and stamping or erasing calibration records.

#include <cctype>
#include <cstring>

#include "operator/operator_prompts.h"
#include "protocol/register_map.h"
#include "protocol/register_values.h"
#include "serial/text_format.h"
#include "unit/conversions.h"
#include "unit/unit_identity.h"

namespace endcap {

namespace {

constexpr const char* kNoSerial = "000000-000";

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool IsE(char c) { return c == 'E' || c == 'e'; }

// The value of the leading digits of text from position at, capped well above any serial.
long LeadingDigits(const std::string& text, size_t at) {
  long value = 0;
  for (size_t i = at; i < text.size() && IsDigit(text[i]); ++i)
    if (value < 100000000L) value = value * 10 + (text[i] - '0');
  return value;
}

}  // namespace

void ResetUnitState(UnitState& unit) {
  for (CalRecord& record : unit.calRecords) {
    record.day = record.month = record.year = 0;
    record.marker = 0;
  }
  unit.unitCurrentMa = -1;
  unit.modbusAddress = 0;
  unit.operatorMarker = 0;
  unit.boardSerialConfirmed = false;
  unit.unitSerialConfirmed = false;
}

void ReadUnitInfo(UnitClient& client, UnitState& unit) {
  unit.unitInfoReadFailures.clear();
  const auto failed = [&](const char* what) {
    if (!unit.unitInfoReadFailures.empty()) unit.unitInfoReadFailures += "; ";
    unit.unitInfoReadFailures += std::string(what) + ": " + client.DescribeLastReply();
  };
  uint16_t r[reg::kIdentityCount];
  if (!client.ReadInputRegisters(0, reg::kIdentityCount, r, 6)) {
    failed("identity (registers 0-22)");
  } else {
    unit.enabledSensors = r[reg::kEnabledSensors];
    unit.fittedSensors = r[reg::kFittedSensors];
    unit.firmwareMajor = r[reg::kFirmwareMajor];
    unit.firmwareMinor = r[reg::kFirmwareMinor];
    unit.firmwareLetter = static_cast<char>(r[reg::kFirmwareLetter] & 0xFF);
    for (int i = 0; i < 3; ++i) unit.pcbDrawing[i] = r[reg::kPcbDrawing + i];
    unit.boardSerial = SerialFromRegisters(r[reg::kBoardSerial], r[reg::kBoardSerial + 1]);
    unit.unitSerial = SerialFromRegisters(r[reg::kUnitSerial], r[reg::kUnitSerial + 1]);
    unit.modbusAddress = r[reg::kModbusAddress];
    for (int k = 0; k < 8; ++k) unit.idNumber[k] = static_cast<uint8_t>(r[reg::kIdNumber + k] & 0xFF);
    unit.gaugeSerialNo = static_cast<uint32_t>(r[reg::kGaugeSerialNo]) * 65536u + r[reg::kGaugeSerialNo + 1];
  }
  uint16_t s[reg::kSettingsCount];
  if (!client.ReadInputRegisters(reg::kInclinometerAccuracy, reg::kSettingsCount, s, 3)) {
    failed("settings (registers 128-139)");
  } else {
    const auto at = [](uint16_t reg) { return reg - reg::kInclinometerAccuracy; };
    unit.inclinometerAccuracyPercent = RegistersToFloat(s, at(reg::kInclinometerAccuracy));
    unit.inclinometerFullScaleDeg = RegistersToFloat(s, at(reg::kInclinometerFullScale));
    unit.inclinometerSamples = s[at(reg::kInclinometerSamples)];
    unit.inclinometerWarmUpTenths = s[at(reg::kInclinometerWarmUp)];
    unit.strainGaugeWarmUpTenths = s[at(reg::kPressureWarmUp)];
    unit.unitCurrentMa = s[at(reg::kUnitCurrent)];
  }
  uint16_t p[reg::kPressureSettingsCount];
  if (!client.ReadInputRegisters(reg::kPressureFullScale, reg::kPressureSettingsCount, p, 3)) {
    failed("pressure settings (registers 140-144)");
  } else {
    unit.gaugeFullScaleBar = RegistersToFloat(p, 0);
    unit.gaugeAccuracyPercent = RegistersToFloat(p, reg::kPressureAccuracy - reg::kPressureFullScale);
  }
  uint16_t c[reg::kCalRecordSlots * reg::kCalRecordSize];
  if (!client.ReadInputRegisters(reg::kCalRecords, reg::kCalRecordSlots * reg::kCalRecordSize, c, 5)) {
    failed("calibration records (registers 400-419)");
  } else {
    for (int kind = kFactoryCal; kind <= kPressureCalKind; ++kind) unit.calRecords[kind] = DecodeCalRecord(c + reg::kCalRecordSize * kind);
  }
}

std::string FormatCalRecord(const UnitState& unit, int kind) {
  const CalRecord& r = unit.calRecords[kind];
  if (!r.Done()) return "Not calibrated\r\n";
  return Format("%02d/%02d/%02d  %s\r\n", r.day, r.month, r.year, r.letters);
}

std::string FormatUnitInfo(const UnitState& unit) {
  // Values kept from before a read that failed are not the unit's state: say what was not read.
  if (!unit.unitInfoReadFailures.empty())
    return "The unit did not answer when its information was read\r\n" + unit.unitInfoReadFailures + "\r\n";
  const bool inclinometer = (unit.enabledSensors & reg::kSensorInclinometer) != 0;
  const bool gauge = (unit.enabledSensors & reg::kSensorStrainGauge) != 0;
  std::string text;
  text += Format("Overall unit serial\t%s\r\n", unit.unitSerial.c_str());
  // A letter of 0 (a board without a revision letter) prints as nothing, not as a NUL byte.
  const char letter[2] = {unit.firmwareLetter, '\0'};
  text += Format("Firmware version\t%d.%02d%s\r\n", unit.firmwareMajor, unit.firmwareMinor, letter);
  text += Format("Modbus address\t\t%d\r\n", unit.modbusAddress);
  text += Format("Overall unit current\t%d ma\r\n\r\n", unit.unitCurrentMa);
  text += Format("PCB\t\t\t%d-%03d-%02d\r\n", unit.pcbDrawing[0], unit.pcbDrawing[1], unit.pcbDrawing[2]);
  text += Format("Serial\t\t\t%s\r\n", unit.boardSerial.c_str());
  text += Format("ID No\t\t\t%02d:%02d%02d%02d%02d%02d%02d\r\n\r\n", unit.idNumber[0], unit.idNumber[6], unit.idNumber[5], unit.idNumber[4],
                 unit.idNumber[3], unit.idNumber[2], unit.idNumber[1]);
  if (inclinometer) {
    text += Format("Inclinometer FS\t\t%.3f degrees\r\n", unit.inclinometerFullScaleDeg);
    text += Format("Inclinometer accuracy\t%.3f%%\r\n", unit.inclinometerAccuracyPercent);
    text += Format("Inclinometer warm-up\t%.2f secs\r\n", unit.inclinometerWarmUpTenths * 0.1);
    text += Format("Inclinometer samples \t%d\r\n\r\n", unit.inclinometerSamples);
  }
  if (gauge) {
    text += Format("Pressure sensor SerNo\t%u\r\n", unit.gaugeSerialNo);
    text += Format("Pressure FS\t\t%.1f BAR\r\n", unit.gaugeFullScaleBar);
    text += Format("Pressure accuracy\t%.2f %%\r\n", unit.gaugeAccuracyPercent);
    text += Format("Pressure warm-up\t%.2f secs\r\n\r\n", unit.strainGaugeWarmUpTenths * 0.1);
  }
  text += "Factory cal\t\t" + FormatCalRecord(unit, kFactoryCal);
  if (inclinometer) text += "Inclinometer cal\t" + FormatCalRecord(unit, kInclinometerCalKind);
  if (gauge) text += "Pressure cal\t\t" + FormatCalRecord(unit, kPressureCalKind);
  return text;
}

bool ValidateSerialText(OperatorInterface& op, std::string& text, bool showMessages) {
  const auto show = [&](const char* message) {
    if (showMessages) op.ShowMessage(UnownedBox(message));
  };
  bool invalid = false;
  const size_t dash = text.rfind('-');
  const size_t after = dash == std::string::npos ? 0 : text.size() - dash - 1;
  if (dash == std::string::npos || dash == 0 || after < 1 || after > 3) {
    show("Illegal entry!!");
    invalid = true;
  }
  const bool leadingE = !text.empty() && IsE(text[0]);
  for (size_t i = leadingE ? 1 : 0; i < text.size(); ++i) {
    if (i == dash || IsDigit(text[i])) continue;
    show("Illegal character!!");
    invalid = true;
  }
  const long number = LeadingDigits(text, leadingE ? 1 : 0);
  const long suffix = dash == std::string::npos ? 0 : LeadingDigits(text, dash + 1);
  if (number == 0 || suffix == 0 || invalid) {
    text = kNoSerial;
    return false;
  }
  // The unit keeps six BCD digits (an E and five) and a two-digit suffix: anything larger
  // would be stored as a different serial, or not at all.
  if (number > (leadingE ? 99999L : 999999L) || suffix > 99) {
    show("Illegal entry!!");
    text = kNoSerial;
    return false;
  }
  text = leadingE ? Format("E%05ld-%03ld", number, suffix) : Format("%06ld-%03ld", number, suffix);
  return true;
}

bool ConfirmSerial(UnitClient& client, OperatorInterface& op, UnitState& unit, bool board) {
  bool& confirmed = board ? unit.boardSerialConfirmed : unit.unitSerialConfirmed;
  std::string& stored = board ? unit.boardSerial : unit.unitSerial;
  if (confirmed) return true;
  std::string copy = stored;
  const std::string offered = ValidateSerialText(op, copy, false) ? stored : std::string();
  std::string entered = op.PromptText(board ? prompt::kBoardSerial : prompt::kUnitSerial, offered);
  if (!ValidateSerialText(op, entered, true)) return false;
  // The unit serial lives in the unit: a write it did not take leaves the station's copy as the
  // unit has it, and the command stops.
  const std::string previous = stored;
  if (stored == kNoSerial) {
    stored = entered;
    if (!board && !WriteUnitSerial(client, unit)) {
      stored = previous;
      return false;
    }
    confirmed = true;
    return true;
  }
  if (entered == stored) {
    confirmed = true;
    return true;
  }
  const std::string question =
      Format("%s serial stored in board %s does not match entered serial %s!!\r\n"
             "Do you wish to replace serial number stored in the board\r\n"
             "WARNING this will invalidate previous calibration!",
             board ? "Board" : "Unit", stored.c_str(), entered.c_str());
  if (op.ShowMessage(UnownedBox(question, "", BoxButtons::YesNo)) == BoxAnswer::Yes) {
    stored = entered;
    if (!board && !WriteUnitSerial(client, unit)) stored = previous;
    confirmed = false;
  }
  return false;
}

namespace {

bool WriteSerial(UnitClient& client, const std::string& serial, uint16_t firstRegister) {
  if (serial.size() != 10) return false;
  const auto nibble = [](char c) { return static_cast<unsigned>(static_cast<unsigned char>(c)) & 0xFu; };
  const unsigned first = ((IsE(serial[0]) ? 0xEu : nibble(serial[0])) << 12) | (nibble(serial[1]) << 8) |
                         (nibble(serial[2]) << 4) | nibble(serial[3]);
  const unsigned second = (nibble(serial[4]) << 12) | (nibble(serial[5]) << 8) | (nibble(serial[8]) << 4) | nibble(serial[9]);
  const uint16_t regs[2] = {static_cast<uint16_t>(first), static_cast<uint16_t>(second)};
  return client.WriteMultipleRegisters(firstRegister, 2, regs, 5);
}

}  // namespace

bool WriteBoardSerial(UnitClient& client, const UnitState& unit) {
  return WriteSerial(client, unit.boardSerial, reg::kBoardSerial);
}

bool WriteUnitSerial(UnitClient& client, const UnitState& unit) {
  return WriteSerial(client, unit.unitSerial, reg::kUnitSerial);
}

bool WriteCalRecord(UnitClient& client, UnitState& unit, const std::string& operatorId, int kind, bool valid) {
  if (kind < 0 || kind >= reg::kCalRecordSlots) return false;
  std::array<uint16_t, 4> regs = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
  CalRecord record = unit.calRecords[kind];
  if (valid) {
    const LocalDateTime now = client.clock().Now();
    record.day = static_cast<uint8_t>(now.day);
    record.month = static_cast<uint8_t>(now.month);
    record.year = static_cast<uint8_t>(now.year > 2000 ? now.year - 2000 : 0);
    std::memset(record.letters, 0, sizeof record.letters);
    std::strncpy(record.letters, operatorId.c_str(), 3);
    record.marker = unit.operatorMarker;
    record.kind = static_cast<uint16_t>(kind);
    regs = EncodeCalRecord(record);
  }
  const bool written = client.WriteMultipleRegisters(static_cast<uint16_t>(reg::kCalRecords + reg::kCalRecordSize * kind),
                                              reg::kCalRecordSize, regs.data(), 5);
  // A stamp the unit did not take is not kept as the unit's record.
  if (written) unit.calRecords[kind] = record;
  return written;
}

}  // namespace endcap
