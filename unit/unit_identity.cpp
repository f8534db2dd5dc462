// The station's copy of the unit's identity and settings: reading it, showing it, reconciling
// entered serial numbers with the unit's, and stamping or erasing calibration records.

#include <cctype>
#include <cstring>

#include "protocol/register_map.h"
#include "protocol/register_values.h"
#include "serial/text_format.h"
#include "unit/modbus_link.h"

namespace endcap {

namespace {

constexpr const char* kNoSerial = "000000-000";
constexpr const char* kDefaultFirmwareFolder = "C:\\Microchip\\projects\\6120-047\\";

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

ModbusLink::ModbusLink(SerialPort& port, OperatorInterface& op) : port_(port), op_(op) { ResetUnitState(); }

ModbusLink::~ModbusLink() = default;

void ModbusLink::ResetUnitState() {
  for (CalRecord& record : calRecords) {
    record.day = record.month = record.year = 0;
    record.marker = 0;
  }
  unitCurrentMa = -1;
  modbusAddress = 0;
  OperatorId.clear();
  operatorKnown = false;
  operatorMarker = 0;
  boardSerialConfirmed = false;
  unitSerialConfirmed = false;
  strainGaugeCalRun = strainGaugeCalPassed = strainGaugeCheckRun = strainGaugeCheckPassed = false;
  temperatureDegC = -1000.0;
  firmwarePath.clear();
  firmwareFolder = kDefaultFirmwareFolder;
  unitLost_ = false;
}

void ModbusLink::ReadUnitInfo() {
  unitInfoReadFailures.clear();
  const auto failed = [this](const char* what) {
    if (!unitInfoReadFailures.empty()) unitInfoReadFailures += "; ";
    unitInfoReadFailures += std::string(what) + ": " + DescribeLastReply();
  };
  uint16_t r[reg::kIdentityCount];
  if (!ReadInputRegisters(0, reg::kIdentityCount, r, 6)) {
    failed("identity (registers 0-22)");
  } else {
    enabledSensors = r[reg::kEnabledSensors];
    fittedSensors = r[reg::kFittedSensors];
    firmwareMajor = r[reg::kFirmwareMajor];
    firmwareMinor = r[reg::kFirmwareMinor];
    firmwareLetter = static_cast<char>(r[reg::kFirmwareLetter] & 0xFF);
    for (int i = 0; i < 3; ++i) pcbDrawing[i] = r[reg::kPcbDrawing + i];
    boardSerial = SerialFromRegisters(r[reg::kBoardSerial], r[reg::kBoardSerial + 1]);
    unitSerial = SerialFromRegisters(r[reg::kUnitSerial], r[reg::kUnitSerial + 1]);
    modbusAddress = r[reg::kModbusAddress];
    for (int k = 0; k < 8; ++k) idNumber[k] = static_cast<uint8_t>(r[reg::kIdNumber + k] & 0xFF);
    gaugeSerialNo = static_cast<uint32_t>(r[reg::kGaugeSerialNo]) * 65536u + r[reg::kGaugeSerialNo + 1];
  }
  uint16_t s[reg::kSettingsCount];
  if (!ReadInputRegisters(reg::kInclinometerAccuracy, reg::kSettingsCount, s, 3)) {
    failed("settings (registers 128-139)");
  } else {
    const auto at = [](uint16_t reg) { return reg - reg::kInclinometerAccuracy; };
    inclinometerAccuracyPercent = RegistersToFloat(s, at(reg::kInclinometerAccuracy));
    inclinometerFullScaleDeg = RegistersToFloat(s, at(reg::kInclinometerFullScale));
    inclinometerSamples = s[at(reg::kInclinometerSamples)];
    inclinometerWarmUpTenths = s[at(reg::kInclinometerWarmUp)];
    strainGaugeWarmUpTenths = s[at(reg::kPressureWarmUp)];
    unitCurrentMa = s[at(reg::kUnitCurrent)];
  }
  uint16_t p[reg::kPressureSettingsCount];
  if (!ReadInputRegisters(reg::kPressureFullScale, reg::kPressureSettingsCount, p, 3)) {
    failed("pressure settings (registers 140-144)");
  } else {
    gaugeFullScaleBar = RegistersToFloat(p, 0);
    gaugeAccuracyPercent = RegistersToFloat(p, reg::kPressureAccuracy - reg::kPressureFullScale);
  }
  uint16_t c[reg::kCalRecordSlots * reg::kCalRecordSize];
  if (!ReadInputRegisters(reg::kCalRecords, reg::kCalRecordSlots * reg::kCalRecordSize, c, 5)) {
    failed("calibration records (registers 400-419)");
  } else {
    for (int kind = kFactoryCal; kind <= kPressureCalKind; ++kind) calRecords[kind] = DecodeCalRecord(c + reg::kCalRecordSize * kind);
  }
}

std::string ModbusLink::FormatCalRecord(int kind) const {
  const CalRecord& r = calRecords[kind];
  if (!r.Done()) return "Not calibrated\r\n";
  return Format("%02d/%02d/%02d  %s\r\n", r.day, r.month, r.year, r.letters);
}

std::string ModbusLink::FormatUnitInfo() const {
  // Values kept from before a read that failed are not the unit's state: say what was not read.
  if (!unitInfoReadFailures.empty())
    return "The unit did not answer when its information was read\r\n" + unitInfoReadFailures + "\r\n";
  const bool inclinometer = (enabledSensors & reg::kSensorInclinometer) != 0;
  const bool gauge = (enabledSensors & reg::kSensorStrainGauge) != 0;
  std::string text;
  text += Format("Overall unit serial\t%s\r\n", unitSerial.c_str());
  // A letter of 0 (a board without a revision letter) prints as nothing, not as a NUL byte.
  const char letter[2] = {firmwareLetter, '\0'};
  text += Format("Firmware version\t%d.%02d%s\r\n", firmwareMajor, firmwareMinor, letter);
  text += Format("Modbus address\t\t%d\r\n", modbusAddress);
  text += Format("Overall unit current\t%d ma\r\n\r\n", unitCurrentMa);
  text += Format("PCB\t\t\t%d-%03d-%02d\r\n", pcbDrawing[0], pcbDrawing[1], pcbDrawing[2]);
  text += Format("Serial\t\t\t%s\r\n", boardSerial.c_str());
  text += Format("ID No\t\t\t%02d:%02d%02d%02d%02d%02d%02d\r\n\r\n", idNumber[0], idNumber[6], idNumber[5], idNumber[4],
                 idNumber[3], idNumber[2], idNumber[1]);
  if (inclinometer) {
    text += Format("Inclinometer FS\t\t%.3f degrees\r\n", inclinometerFullScaleDeg);
    text += Format("Inclinometer accuracy\t%.3f%%\r\n", inclinometerAccuracyPercent);
    text += Format("Inclinometer warm-up\t%.2f secs\r\n", inclinometerWarmUpTenths * 0.1);
    text += Format("Inclinometer samples \t%d\r\n\r\n", inclinometerSamples);
  }
  if (gauge) {
    text += Format("Pressure sensor SerNo\t%u\r\n", gaugeSerialNo);
    text += Format("Pressure FS\t\t%.1f BAR\r\n", gaugeFullScaleBar);
    text += Format("Pressure accuracy\t%.2f %%\r\n", gaugeAccuracyPercent);
    text += Format("Pressure warm-up\t%.2f secs\r\n\r\n", strainGaugeWarmUpTenths * 0.1);
  }
  text += "Factory cal\t\t" + FormatCalRecord(kFactoryCal);
  if (inclinometer) text += "Inclinometer cal\t" + FormatCalRecord(kInclinometerCalKind);
  if (gauge) text += "Pressure cal\t\t" + FormatCalRecord(kPressureCalKind);
  return text;
}

bool ModbusLink::ValidateSerialText(std::string& text, bool showMessages) {
  const auto show = [&](const char* message) {
    if (showMessages) op_.ShowMessage(UnownedBox(message));
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

bool ModbusLink::ConfirmSerial(bool board) {
  bool& confirmed = board ? boardSerialConfirmed : unitSerialConfirmed;
  std::string& stored = board ? boardSerial : unitSerial;
  if (confirmed) return true;
  std::string copy = stored;
  const std::string offered = ValidateSerialText(copy, false) ? stored : std::string();
  std::string entered = op_.PromptText(board ? "Enter board serial No" : "Enter unit serial No", offered);
  if (!ValidateSerialText(entered, true)) return false;
  // The unit serial lives in the unit: a write it did not take leaves the station's copy as the
  // unit has it, and the command stops.
  const std::string previous = stored;
  if (stored == kNoSerial) {
    stored = entered;
    if (!board && !WriteUnitSerial()) {
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
  if (op_.ShowMessage(UnownedBox(question, "", BoxButtons::YesNo)) == BoxAnswer::Yes) {
    stored = entered;
    if (!board && !WriteUnitSerial()) stored = previous;
    confirmed = false;
  }
  return false;
}

bool ModbusLink::WriteSerial(const std::string& serial, uint16_t firstRegister) {
  if (serial.size() != 10) return false;
  const auto nibble = [](char c) { return static_cast<unsigned>(static_cast<unsigned char>(c)) & 0xFu; };
  const unsigned first = ((IsE(serial[0]) ? 0xEu : nibble(serial[0])) << 12) | (nibble(serial[1]) << 8) |
                         (nibble(serial[2]) << 4) | nibble(serial[3]);
  const unsigned second = (nibble(serial[4]) << 12) | (nibble(serial[5]) << 8) | (nibble(serial[8]) << 4) | nibble(serial[9]);
  const uint16_t regs[2] = {static_cast<uint16_t>(first), static_cast<uint16_t>(second)};
  return WriteMultipleRegisters(firstRegister, 2, regs, 5);
}

bool ModbusLink::WriteBoardSerial() { return WriteSerial(boardSerial, reg::kBoardSerial); }

bool ModbusLink::WriteUnitSerial() { return WriteSerial(unitSerial, reg::kUnitSerial); }

bool ModbusLink::WriteCalRecord(int kind, bool valid) {
  if (kind < 0 || kind >= reg::kCalRecordSlots) return false;
  std::array<uint16_t, 4> regs = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
  CalRecord record = calRecords[kind];
  if (valid) {
    const LocalDateTime now = clock().Now();
    record.day = static_cast<uint8_t>(now.day);
    record.month = static_cast<uint8_t>(now.month);
    record.year = static_cast<uint8_t>(now.year > 2000 ? now.year - 2000 : 0);
    std::memset(record.letters, 0, sizeof record.letters);
    std::strncpy(record.letters, OperatorId.c_str(), 3);
    record.marker = operatorMarker;
    record.kind = static_cast<uint16_t>(kind);
    regs = EncodeCalRecord(record);
  }
  const bool written = WriteMultipleRegisters(static_cast<uint16_t>(reg::kCalRecords + reg::kCalRecordSize * kind),
                                              reg::kCalRecordSize, regs.data(), 5);
  // A stamp the unit did not take is not kept as the unit's record.
  if (written) calRecords[kind] = record;
  return written;
}

}  // namespace endcap
