#pragma once
// The unit object: the Modbus RTU client of the unit under test and the station's copy of
// everything about that unit (identity, settings, calibration records, raw readings and results),
// together with the operator ID, the limits and the firmware file choice. One per run.
//
// Operations on the unit return a bool (true = success) or a value; they show nothing, except
// the supply, RS485 and serial-number checks, which show their own boxes, and the serial
// confirmation, which prompts. The record operations are defined in records/.

#include <cstdint>
#include <map>
#include <string>

#include "operator/operator_interface.h"
#include "protocol/modbus_frame.h"
#include "serial/serial_port.h"
#include "unit/cal_record.h"
#include "unit/certificate_result.h"
#include "unit/default_limits.h"

namespace endcap {

struct PitchRollReading {
  double pitchDeg = 0.0;
  double rollDeg = 0.0;
  bool valid = false;
};

struct RawSlot {
  int32_t a = 0;  // register 305, the pitch axis
  int32_t b = 0;  // register 306, the roll axis
  // The unit gave no counts for this slot (no reply, never ready): its zeros are not a reading.
  bool readFailed = false;
};

struct InclinometerCal {
  double offsetA = 0.0, gainA = 0.0, offsetB = 0.0, gainB = 0.0;
};

// One reading of the inclinometer check, with its verdict.
struct CheckReading {
  double pitchDeg = 0.0;
  double rollDeg = 0.0;
  bool pass = false;
};

// One check angle and its four readings: bow 0, 90, 180, 270 (recorded as +angle pitch,
// +angle roll, -angle pitch, -angle roll).
struct CheckSet {
  double angleDeg = 0.0;
  CheckReading readings[4];
};

struct PressurePoint {
  bool done = false;
  double fullScalePsi = 0.0;
  double accuracyPercent = 0.0;
  double readPsi = 0.0;
  std::string appliedText;  // as the operator typed it
};

class ModbusLink {
public:
  static constexpr size_t kFrameBufferSize = 500;

  ModbusLink(SerialPort& port, OperatorInterface& op);
  virtual ~ModbusLink();
  ModbusLink(const ModbusLink&) = delete;
  ModbusLink& operator=(const ModbusLink&) = delete;

  // --- transaction ---
  // Appends the CRC to the request in buffer (length mod 256 bytes), exchanges it and judges
  // the reply as the answer to the request's function; the reply's bytes replace the request's
  // in buffer. The port not opening counts as no reply.
  modbus::Reply Transact(uint8_t* buffer, int length, int expected, int timeoutSeconds);
  // For diagnosis (never shown by the station itself): what the last reply was.
  // "no reply", "short reply (N bytes)", "bad CRC", "exception code N", "wrong reply", or ""
  // for a good reply.
  std::string DescribeLastReply() const;
  const modbus::Reply& lastReply() const { return lastReply_; }

  // --- register access ---
  bool ReadInputRegisters(uint16_t first, int count, uint16_t* values, int timeoutSeconds);
  bool WriteSingleRegister(uint16_t value, uint16_t reg, int timeoutSeconds);
  bool SendControlFunction(uint16_t parameter, uint8_t function, int timeoutSeconds);
  bool Unlock();
  bool WriteMultipleRegisters(uint16_t first, int count, const uint16_t* values, int timeoutSeconds);
  bool PrepareBoardTest();
  void ReleaseUnit(bool connected);
  // After an exchange that failed: true when the unit has gone (no reply, and none to the
  // connection handshake either). Stays true until ResetUnitState, so a procedure that checks it
  // after each step stops at the first one that lost the unit.
  bool UnitLost();
  // The one message a procedure shows when it stops for a lost unit, naming the port.
  std::string UnitLostText() const;

  // --- identity and configuration ---
  void ResetUnitState();
  void ReadUnitInfo();
  // The reads of the last ReadUnitInfo that failed, each with why; "" when all four succeeded.
  std::string unitInfoReadFailures;
  // The information text; when a read of the last ReadUnitInfo failed, that the unit did not
  // answer and which reads, instead of the values kept from before.
  std::string FormatUnitInfo() const;
  std::string FormatCalRecord(int kind) const;
  bool ValidateSerialText(std::string& text, bool showMessages);
  bool ConfirmSerial(bool board);
  // Each false when the serial is not in its standard form or the unit did not take the write.
  bool WriteBoardSerial();
  bool WriteUnitSerial();
  bool WriteCalRecord(int kind, bool valid);

  // --- sensors ---
  bool EnableSensors(uint16_t mask);
  bool DisableSensors(uint16_t mask);
  bool CheckPowerSupplies(bool show);
  bool CheckExternalSupplies(bool show);
  PitchRollReading ReadPitchRoll(bool trigger);
  void ReadInclinometerRaw(int slot);
  // True only when the calibration passed and the unit took its coefficients.
  bool ComputeInclinometerCal(double exactPitchDeg);
  bool WriteUnitCurrent();
  double ReadPressure(bool first, bool trigger, int timeLimitSeconds);
  // Whether the last ReadPressure ended with a ready value rather than by its time limit.
  bool pressureReady = false;

  // --- calibration (unit/calibration_operations.cpp) ---
  // The error allowed at a check angle, in degrees.
  double InclinometerTolerance(double angleDeg) const;
  // The dead-weight pressure (psi) to offer for a percentage of the gauge's full scale: a round
  // figure near it, never above the full scale.
  static int SuggestPressure(int percentOfFullScale, int fullScalePsi);
  // Offset and scale of the strain gauge from the raw zero and high readings; asks before taking
  // values out of their normal range and writes them only when accepted. True only when the
  // unit took them.
  bool ComputePressureCal(double zeroPsi, double appliedPsi, double highPsi, double atmosphericMb);
  // Ask for what the record file needs and is not known yet: the room, the dead-weight tester,
  // the reference gauge.
  void EnsureEquipmentData();
  void EnsureGaugeIdentity();
  // --- PCB test checks (unit/board_checks.cpp) ---
  // No exchange: whether the current typed by the operator lies in the loaded or unloaded window.
  bool CheckSupplyCurrent(bool loaded, double currentMa);
  bool CheckInternalRs485(bool show);
  bool CheckRs485Comms(bool show);

  // --- firmware (firmware/firmware_link.cpp) ---
  // The operator picks a program file, starting in firmwareFolder; true with firmwarePath set.
  bool ChooseFirmwareFile();
  // Sends one piece of a program file as text to the boot loader and waits for its answer;
  // true when the answer's line feed came within the time-out.
  bool SendHexLine(const char* piece, int timeoutSeconds);

  // --- results record (records/results_record.cpp) ---
  void AppendRecordLine(const std::string& text);
  bool EnsureOperatorId();
  bool BeginResultsRecord();
  void LoadDefaultLimits();
  // Each writes the calibration's lines as one block and stores its certificate items; the
  // reason they were not recorded (the file's, the store's), empty when they were.
  std::string RecordInclinometerCalibration();
  std::string RecordStrainGaugeCalibration();

  // --- certificates (records/) ---
  // Reads the newest stored result of each key of unitSerial into certificateResults, once for
  // a whole sheet; false with the store's reason.
  bool ReadCertificateResults(std::string& error);
  // The result of key among those read; an empty result when the store has none.
  CertificateResult LookupCertificateResult(const std::string& key) const;
  // A sheet's tolerance cell for an angle, with its own trailing comma.
  std::string ToleranceCell(double angleDeg) const;

  SerialPort& port() { return port_; }
  OperatorInterface& op() { return op_; }
  Clock& clock() { return port_.clock(); }
  void SetBusyIndicator(BusyIndicator* busy) { busy_ = busy; }

  // --- identity (registers 0-22) ---
  uint16_t enabledSensors = 0;
  uint16_t fittedSensors = 0;
  int32_t firmwareMajor = 0;
  int32_t firmwareMinor = 0;
  char firmwareLetter = ' ';
  int32_t pcbDrawing[3] = {0, 0, 0};
  std::string boardSerial = "000000-000";
  std::string unitSerial = "000000-000";
  int32_t modbusAddress = 0;
  uint8_t idNumber[8] = {};
  uint32_t gaugeSerialNo = 0;

  // --- settings (128-143) ---
  double inclinometerAccuracyPercent = 0.0;
  double inclinometerFullScaleDeg = 0.0;
  int32_t inclinometerSamples = 0;
  int32_t inclinometerWarmUpTenths = 0;
  int32_t strainGaugeWarmUpTenths = 0;
  int32_t unitCurrentMa = -1;
  double gaugeFullScaleBar = 0.0;
  double gaugeAccuracyPercent = 0.0;

  CalRecord calRecords[5];
  bool boardSerialConfirmed = false;
  bool unitSerialConfirmed = false;
  uint16_t operatorMarker = 0;

  // --- operator and records ---
  std::string OperatorId;  // two or three upper-case letters
  bool operatorKnown = false;
  DefaultLimits limits;
  std::string recordFolder;  // the status folder on this machine ("C:\Quorvanta\D5Status")
  std::string resultsStorePath;  // the results store; empty: the one in the status folder
  std::map<std::string, CertificateResult> certificateResults;  // of unitSerial, read for the last sheet

  // --- console ---
  int32_t chosenPort = 0;
  std::string lastUnitSerial;

  // --- sensor results ---
  RawSlot rawSlots[10];
  bool inclinometerCalRun = false;
  bool inclinometerCalPassed = false;
  InclinometerCal inclinometerCal;

  // --- inclinometer check ---
  bool inclinometerCheckRun = false;
  CheckReading checkLevelReading;
  CheckSet checkSets[2];

  // --- strain gauge calibration ---
  bool strainGaugeCalRun = false;
  bool strainGaugeCalPassed = false;
  bool strainGaugeCheckRun = false;
  bool strainGaugeCheckPassed = false;
  std::string gaugeManufacturer;
  std::string gaugeModel;
  double atmosphericPressureMb = 0.0;
  double temperatureDegC = -1000.0;
  std::string equipmentUsed;
  int32_t equipmentIdNo = 0;
  PressurePoint pressurePoints[6];

  // --- firmware ---
  std::string firmwarePath;
  std::string firmwareFolder;

private:
  // Writes 0 to the measurement register; false when the unit did not take it, so that no
  // reading that follows can be this measurement's.
  bool StartMeasurement();
  // Polls the ready register; false when it did not become ready in time.
  bool WaitMeasurementReady();
  bool WriteSerial(const std::string& serial, uint16_t firstRegister);

  SerialPort& port_;
  OperatorInterface& op_;
  BusyIndicator* busy_ = nullptr;
  modbus::Reply lastReply_;
  bool unitLost_ = false;
};

}  // namespace endcap
