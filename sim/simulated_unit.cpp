#include "sim/simulated_unit.h"

#include <algorithm>

#include "protocol/hex_record.h"
#include "protocol/modbus_frame.h"
#include "protocol/register_values.h"
#include "serial/text_format.h"
#include "sim/register_names.h"

namespace endcap::sim {

namespace {

using namespace endcap::sim::regs;

using modbus::ExceptionReply;
using modbus::kDeviceFailure;
using modbus::kIllegalAddress;
using modbus::kIllegalFunction;
using modbus::kIllegalValue;
using modbus::Word;

constexpr int kMaxAveragedSamples = 64;
constexpr size_t kMaxTextLine = 256;

enum Access : uint8_t { kRead = 1, kWrite = 2, kKept = 4 };
struct Span {
  uint16_t first;
  uint16_t end;  // one past the last
  uint8_t access;
};

// The board's register map. Registers 200, 210 and 300 are commands when written.
constexpr Span kMap[] = {
    {kEnabledSensors, kFittedSensors, kRead | kWrite | kKept},
    {kFittedSensors, kBoardSerial, kRead | kKept},
    {kBoardSerial, kIdNumber, kRead | kWrite | kKept},
    {kIdNumber, kIdentityCount, kRead | kKept},
    {kInclinometerCal, kInclinometerAccuracy, kRead | kWrite | kKept},
    {kInclinometerAccuracy, kInclinometerSamples, kRead | kKept},
    {kInclinometerSamples, kPressureSpare, kRead | kWrite | kKept},
    {kPressureSpare, kDevTestValue, kRead | kKept},
    {kDevTestValue, kDevTestValue + kFloatRegs, kRead | kWrite | kKept},
    {kExternalSupply, kExternalSupply + 1, kRead | kWrite},
    {kExternalSupply + 1, kExternalSupply + kExternalSupplyCount, kRead},
    {kBoardSupplies, kBoardSupplies + 1, kRead | kWrite},
    {kBoardSupplies + 1, kBoardSupplies + kBoardSuppliesCount, kRead},
    {kRs485Loop, kRs485Loop + 1, kRead | kWrite},
    {kMeasurement, kMeasurement + 1, kRead | kWrite},
    {kMeasurement + 1, kMeasurementEnd, kRead},
    {kCalRecords, kCalRecordsEnd, kRead | kWrite | kKept},
};

uint8_t AccessOf(uint16_t reg) {
  for (const Span& span : kMap)
    if (reg >= span.first && reg < span.end) return span.access;
  return 0;
}

bool AllHave(uint16_t first, uint16_t count, uint8_t access) {
  for (uint32_t r = first; r < static_cast<uint32_t>(first) + count; ++r)
    if (r > 0xFFFF || (AccessOf(static_cast<uint16_t>(r)) & access) == 0) return false;
  return true;
}

uint32_t ArrivalDelayUs(size_t bytes) { return static_cast<uint32_t>(bytes) * kByteTimeUs + kTurnaroundUs; }

}  // namespace

bool EncodeSerial(const std::string& text, uint16_t& first, uint16_t& second) {
  const auto digit = [&](size_t i) { return text[i] >= '0' && text[i] <= '9'; };
  if (text.size() != 10 || text[6] != '-' || text[7] != '0') return false;
  const bool leadingE = text[0] == 'E' || text[0] == 'e';
  if (!leadingE && !digit(0)) return false;
  for (size_t i : {1, 2, 3, 4, 5, 8, 9})
    if (!digit(i)) return false;
  const auto nibble = [&](size_t i) { return static_cast<unsigned>(text[i] - '0'); };
  first = static_cast<uint16_t>(((leadingE ? 0xEu : nibble(0)) << 12) | (nibble(1) << 8) | (nibble(2) << 4) | nibble(3));
  second = static_cast<uint16_t>((nibble(4) << 12) | (nibble(5) << 8) | (nibble(8) << 4) | nibble(9));
  return true;
}

const char* FaultName(Fault fault) {
  switch (fault) {
    case Fault::NoReply: return "noreply";
    case Fault::BadCrc: return "badcrc";
    case Fault::ShortReply: return "short";
    case Fault::ExceptionReply: return "exception";
    case Fault::CutReply: return "cut";
    case Fault::StalledReply: return "stall";
    case Fault::NeverReady: return "notready";
    case Fault::BrokenLoop: return "loop";
  }
  return "?";
}

bool SimulatedUnit::FaultSlot::Take() {
  if (!armed) return false;
  if (mode == FaultMode::Once) armed = false;
  return true;
}

SimulatedUnit::SimulatedUnit(Clock& clock, UnitConfig config)
    : clock_(clock),
      regs_(kCalRecordsEnd, 0),
      truth_(config.truth),
      measureDelayMs_(config.measureDelayMs),
      noiseCounts_(config.noiseCounts),
      rng_(config.seed),
      ownRng_(config.seed) {
  // A board as it leaves the factory: firmware 1.02a, both sensors fitted and enabled, the
  // serials as configured (erased unless set), the calibration records erased, nominal
  // calibration coefficients.
  regs_[kEnabledSensors] = config.fittedSensors;
  regs_[kFittedSensors] = config.fittedSensors;
  regs_[kFirmwareMajor] = 1;
  regs_[kFirmwareMinor] = 2;
  regs_[kFirmwareLetter] = 'a';
  regs_[kPcbDrawing] = 6120;
  regs_[kPcbDrawing + 1] = 46;
  regs_[kPcbDrawing + 2] = 3;
  regs_[kBoardSerial] = config.boardSerial[0];
  regs_[kBoardSerial + 1] = config.boardSerial[1];
  regs_[kUnitSerial] = config.unitSerial[0];
  regs_[kUnitSerial + 1] = config.unitSerial[1];
  regs_[kModbusAddress] = kUnitAddress;
  // The silicon serial number chip: family code, six serial bytes, check byte.
  const uint8_t idChip[8] = {0x01, 0x5A, 0x3C, 0x9E, 0x12, 0x00, 0x00, 0xB7};
  for (int k = 0; k < 8; ++k) regs_[kIdNumber + k] = idChip[k];
  Int32ToRegisters(regs_.data(), kGaugeSerialNo, 4051327u);
  PutFloat(kOffsetA, 32768.0);
  PutFloat(kGainA, 20000.0);
  PutFloat(kOffsetB, 32768.0);
  PutFloat(kGainB, 20000.0);
  PutFloat(kInclinometerAccuracy, 0.1);
  PutFloat(kInclinometerFullScale, 90.0);
  regs_[kInclinometerSamples] = 10;
  regs_[kInclinometerWarmUp] = 20;
  regs_[kPressureWarmUp] = 10;
  PutFloat(kStrainGaugeOffset, 14.0);
  PutFloat(kStrainGaugeScale, 1.0);
  PutFloat(kPressureFullScale, 100.0);
  PutFloat(kPressureAccuracy, 0.1);
  std::fill(regs_.begin() + kCalRecords, regs_.end(), 0xFFFF);
  PowerUp();
}

void SimulatedUnit::PowerUp() {
  mode_ = UnitMode::Modbus;
  unlocked_ = false;
  framer_.Reset();
  textLine_.clear();
  for (uint16_t r = kExternalSupply; r < kMeasurementEnd; ++r)
    if ((AccessOf(r) & kKept) == 0) regs_[r] = 0;
  SelectExternalSupply(0);
  MeasureBoardSupplies();
  gaugeOnTick_ = clock_.TickCount();
  gaugeValueTaken_ = false;
  StartMeasurement(false);
}

// --- the line ---

ReplyPlan SimulatedUnit::OnBytes(const uint8_t* data, size_t size) {
  std::lock_guard<std::mutex> lock(mutex_);
  Refresh();
  ReplyPlan plan;
  for (size_t i = 0; i < size; ++i) {
    if (mode_ == UnitMode::BootLoader) {
      BootLoaderByte(data[i], plan);
    } else if (auto frame = framer_.Push(data[i])) {
      HandleFrame(*frame, plan);
    }
  }
  PublishMemory();
  return plan;
}

ReplyPlan SimulatedUnit::OnSilence() {
  std::lock_guard<std::mutex> lock(mutex_);
  Refresh();
  ReplyPlan plan;
  if (mode_ == UnitMode::Modbus)
    if (auto frame = framer_.Silence()) HandleFrame(*frame, plan);
  PublishMemory();
  return plan;
}

bool SimulatedUnit::ExpectsMore() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return mode_ == UnitMode::Modbus && framer_.collecting();
}

void SimulatedUnit::HandleFrame(const Frame& frame, ReplyPlan& plan) {
  if (frame.size() < 4 || !modbus::CrcMatches(frame.data(), frame.size()) || frame[0] != kUnitAddress) return;
  const int length = modbus::RequestLength(frame.data(), frame.size());
  const bool refused = replyFault_.fault == Fault::ExceptionReply && replyFault_.Take();
  Frame reply;
  if (refused)
    reply = ExceptionReply(frame[1], kDeviceFailure);
  else if (length >= 0 && frame.size() != static_cast<size_t>(length))
    reply = ExceptionReply(frame[1], kIllegalValue);
  else
    reply = Execute(frame);
  if (reply.empty()) return;
  reply = modbus::WithCrc(std::move(reply));
  const uint32_t startUs = ArrivalDelayUs(frame.size());
  if (refused) {
    plan.push_back({std::move(reply), startUs});
    return;
  }
  for (Transmission& t : Shape(std::move(reply), startUs)) plan.push_back(std::move(t));
}

Frame SimulatedUnit::Execute(const Frame& request) {
  switch (request[1]) {
    case kReadInputRegisters: return ReadRegisters(request);
    case kWriteSingleRegister: return WriteSingle(request);
    case kWriteMultipleRegisters: return WriteMultiple(request);
    case kUnlockFunction:
    case kReleaseFunction:
    case kBoardTestFunction:
    case kBootLoaderFunction:
      return Control(request);
    default: return ExceptionReply(request[1], kIllegalFunction);
  }
}

Frame SimulatedUnit::ReadRegisters(const Frame& request) {
  const uint16_t first = Word(request.data(), 2), count = Word(request.data(), 4);
  if (count == 0 || count > modbus::kMaxReadCount) return ExceptionReply(request[1], kIllegalValue);
  if (!AllHave(first, count, kRead)) return ExceptionReply(request[1], kIllegalAddress);
  Frame reply{kUnitAddress, request[1], static_cast<uint8_t>(2 * count)};
  for (uint16_t k = 0; k < count; ++k) modbus::AppendWord(reply, regs_[first + k]);
  return reply;
}

Frame SimulatedUnit::WriteSingle(const Frame& request) {
  const uint16_t reg = Word(request.data(), 2), value = Word(request.data(), 4);
  if (WriteRefused(reg, 1)) return ExceptionReply(request[1], kDeviceFailure);
  if (const uint8_t code = CheckWrite(reg, value)) return ExceptionReply(request[1], code);
  ApplyWrite(reg, value);
  return Frame(request.begin(), request.begin() + 6);
}

Frame SimulatedUnit::WriteMultiple(const Frame& request) {
  if (!unlocked_) return ExceptionReply(request[1], kIllegalFunction);
  unlocked_ = false;
  const uint16_t first = Word(request.data(), 2), count = Word(request.data(), 4);
  if (count == 0 || count > modbus::kMaxWriteCount || request[6] != 2 * count) return ExceptionReply(request[1], kIllegalValue);
  if (WriteRefused(first, count)) return ExceptionReply(request[1], kDeviceFailure);
  for (uint16_t k = 0; k < count; ++k) {
    const uint32_t reg = static_cast<uint32_t>(first) + k;
    if (reg > 0xFFFF) return ExceptionReply(request[1], kIllegalAddress);
    if (const uint8_t code = CheckWrite(static_cast<uint16_t>(reg), Word(request.data(), 7 + 2u * k)))
      return ExceptionReply(request[1], code);
  }
  for (uint16_t k = 0; k < count; ++k) ApplyWrite(static_cast<uint16_t>(first + k), Word(request.data(), 7 + 2u * k));
  return Frame(request.begin(), request.begin() + 6);
}

Frame SimulatedUnit::Control(const Frame& request) {
  const uint8_t function = request[1];
  if (function == kUnlockFunction) {
    unlocked_ = Word(request.data(), 2) == kAccessCode;
    if (!unlocked_) return ExceptionReply(function, kIllegalValue);
  } else if (function == kReleaseFunction) {
    unlocked_ = false;
  } else if (function == kBootLoaderFunction) {
    mode_ = UnitMode::BootLoader;
    framer_.Reset();
    textLine_.clear();
    boot_ = {};
    return {};
  }
  return modbus::ControlReply(function);
}

uint8_t SimulatedUnit::CheckWrite(uint16_t reg, uint16_t value) const {
  if ((AccessOf(reg) & kWrite) == 0) return kIllegalAddress;
  if (reg == kExternalSupply) return value <= 1 ? 0 : kIllegalValue;
  if (reg == kBoardSupplies || reg == kMeasurement) return value == 0 ? 0 : kIllegalValue;
  return 0;
}

bool SimulatedUnit::WriteRefused(uint16_t first, uint16_t count) {
  const uint32_t last = static_cast<uint32_t>(first) + count - 1;
  return refusedWrites_.armed && first <= refusedLast_ && last >= refusedFirst_ && refusedWrites_.Take();
}

void SimulatedUnit::ApplyWrite(uint16_t reg, uint16_t value) {
  if (reg == kExternalSupply) {
    SelectExternalSupply(value);
  } else if (reg == kBoardSupplies) {
    MeasureBoardSupplies();
  } else if (reg == kMeasurement) {
    StartMeasurement(true);
  } else if (reg == kRs485Loop) {
    regs_[reg] = brokenLoop_.Take() ? 0 : value;
  } else {
    Store(reg, value);
  }
}

void SimulatedUnit::Store(uint16_t reg, uint16_t value) {
  if (regs_[reg] != value && (AccessOf(reg) & kKept)) memoryChanged_ = true;
  const bool gaugeWasOn = Gauge() != GaugeState::Off;
  regs_[reg] = value;
  const bool gaugeIsOn = Gauge() != GaugeState::Off;
  if (gaugeIsOn == gaugeWasOn) return;
  // Switched on, the gauge warms up afresh; switched off, it has no value.
  gaugeOnTick_ = clock_.TickCount();
  gaugeValueTaken_ = false;
  ClearPressure();
}

void SimulatedUnit::PublishMemory() {
  if (memoryChanged_ && memoryObserver_) memoryObserver_(MemoryLocked());
  memoryChanged_ = false;
}

ReplyPlan SimulatedUnit::Shape(Frame reply, uint32_t startUs) {
  if (replyFault_.fault == Fault::ExceptionReply || !replyFault_.Take()) return {{std::move(reply), startUs}};
  switch (replyFault_.fault) {
    case Fault::NoReply: return {};
    case Fault::BadCrc: reply.back() ^= 0xFF; break;
    case Fault::ShortReply: reply.resize(2); break;
    case Fault::CutReply: reply.resize(reply.size() / 2); break;
    case Fault::StalledReply: {
      const size_t half = reply.size() / 2;
      Frame rest(reply.begin() + static_cast<long>(half), reply.end());
      reply.resize(half);
      const uint32_t restStartUs = startUs + static_cast<uint32_t>(half) * kByteTimeUs + kStallPauseMs * 1000;
      return {{std::move(reply), startUs}, {std::move(rest), restStartUs}};
    }
    default: break;
  }
  return {{std::move(reply), startUs}};
}

// --- boot loader ---

void SimulatedUnit::BootLoaderByte(uint8_t byte, ReplyPlan& plan) {
  if (byte != '\n' && textLine_.size() < kMaxTextLine) {
    textLine_.push_back(static_cast<char>(byte));
    return;
  }
  // A line longer than any hex record is refused, and what follows starts a new line.
  const bool whole = byte == '\n';
  std::string line = textLine_;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  boot_.lines.push_back(line);
  boot_.endedWithEof = false;
  if (!whole) ++boot_.badLines;
  const std::string answer = whole ? BootLoaderAnswer(line) : "ERR LENGTH\r\n";
  plan.push_back({Frame(answer.begin(), answer.end()), ArrivalDelayUs(textLine_.size() + 1)});
  textLine_.clear();
}

// Checks one hex record: ":" then pairs of hex digits holding count, address (2), type, count
// data bytes and a check byte that makes the sum of all of them 0 modulo 256.
std::string SimulatedUnit::BootLoaderAnswer(const std::string& line) {
  std::vector<int> bytes;
  bool wellFormed = line.size() >= 11 && line[0] == ':' && (line.size() - 1) % 2 == 0;
  for (size_t i = 1; wellFormed && i + 1 < line.size(); i += 2) {
    const int high = HexDigitValue(line[i]), low = HexDigitValue(line[i + 1]);
    wellFormed = high >= 0 && low >= 0;
    bytes.push_back(high * 16 + low);
  }
  wellFormed = wellFormed && bytes.size() == static_cast<size_t>(bytes[0]) + kHexRecordOverhead;
  if (!wellFormed) {
    ++boot_.badLines;
    return "ERR FORMAT\r\n";
  }
  int sum = 0;
  for (int b : bytes) sum += b;
  if (sum % 256 != 0) {
    ++boot_.badChecksums;
    return "ERR CHECKSUM\r\n";
  }
  ++boot_.records;
  boot_.endedWithEof = bytes[3] == kHexEndOfFileRecord;
  return "OK\r\n";
}

// --- measurements ---

void SimulatedUnit::Refresh() {
  if (measuring_ && !measurementStuck_ && clock_.TickCount() - measurementStartTick_ >= measureDelayMs_)
    CompleteMeasurement();
  if (!measuring_) {
    MeasureInclinometer();
    MeasureGauge();
  }
}

void SimulatedUnit::StartMeasurement(bool byStation) {
  measuring_ = true;
  measurementStuck_ = byStation && neverReady_.Take();
  measurementStartTick_ = clock_.TickCount();
  regs_[kMeasurementReady] = 0;
  ClearPressure();
}

void SimulatedUnit::ClearPressure() {
  PutFloat(kPressure, kPressureNotReadyMark);
  PutFloat(kSecondPressure, kPressureNotReadyMark);
}

GaugeState SimulatedUnit::Gauge() const {
  if ((regs_[kEnabledSensors] & regs_[kFittedSensors] & kSensorStrainGauge) == 0) return GaugeState::Off;
  const bool heldByFault = neverReady_.armed && neverReady_.mode == FaultMode::Always;
  const uint32_t warmUpMs = regs_[kPressureWarmUp] * 100u;
  if (heldByFault || clock_.TickCount() - gaugeOnTick_ < warmUpMs) return GaugeState::WarmingUp;
  return GaugeState::Measuring;
}

// The gauge's values change once a measurement delay, on a schedule counted from the end of
// its warm-up, so that a change on the bench shows within one delay.
void SimulatedUnit::MeasureGauge() {
  const GaugeState gauge = Gauge();
  if (gauge == GaugeState::Off) return;
  if (gauge == GaugeState::WarmingUp) {
    ClearPressure();
    gaugeValueTaken_ = false;
    return;
  }
  const uint32_t now = clock_.TickCount();
  if (gaugeValueTaken_ && static_cast<int32_t>(now - nextGaugeTick_) < 0) return;
  const double raw = RawPressure(bench_, truth_);
  PutFloat(kPressure, CalibratedPressure(raw, GetFloat(kStrainGaugeOffset), GetFloat(kStrainGaugeScale)));
  PutFloat(kSecondPressure, raw);
  const uint32_t readyTick = gaugeOnTick_ + regs_[kPressureWarmUp] * 100u;
  const uint32_t period = std::max<uint32_t>(measureDelayMs_, 1);
  nextGaugeTick_ = readyTick + ((now - readyTick) / period + 1) * period;
  gaugeValueTaken_ = true;
}

bool SimulatedUnit::InclinometerOn() const {
  return (regs_[kEnabledSensors] & regs_[kFittedSensors] & kSensorInclinometer) != 0;
}

void SimulatedUnit::CompleteMeasurement() {
  measuring_ = false;
  if (InclinometerOn()) {
    SampleInclinometer(rng_);
  } else {
    regs_[kRawA] = 0;
    regs_[kRawB] = 0;
    PutFloat(kPitch, 0.0);
    PutFloat(kRoll, 0.0);
  }
  // The gauge gives a fresh value with the measurement, once it has warmed up (MeasureGauge).
  gaugeValueTaken_ = false;
  regs_[kMeasurementReady] = 1;
}

void SimulatedUnit::SampleInclinometer(std::mt19937& rng) {
  const Attitude attitude = TrueAttitude(bench_);
  const double angleA = truth_.axesSwapped ? attitude.rollRad : attitude.pitchRad;
  const double angleB = truth_.axesSwapped ? attitude.pitchRad : attitude.rollRad;
  const uint16_t a = SampleCount(truth_.offsetA, truth_.gainA, angleA, rng);
  const uint16_t b = SampleCount(truth_.offsetB, truth_.gainB, angleB, rng);
  regs_[kRawA] = a;
  regs_[kRawB] = b;
  PutFloat(kPitch, ReportedAngleRad(a, GetFloat(kOffsetA), GetFloat(kGainA)));
  PutFloat(kRoll, ReportedAngleRad(b, GetFloat(kOffsetB), GetFloat(kGainB)));
  nextInclinometerTick_ = clock_.TickCount() + std::max<uint32_t>(measureDelayMs_, 1);
}

// Between the measurements the station starts, the inclinometer keeps measuring on its own, a
// new reading one measurement delay after the last, so that a reading taken without a start
// shows the fixture as it is now. Its noise comes from a generator of its own, so that the
// measurements the station starts give the counts of their seed however often the line was read.
void SimulatedUnit::MeasureInclinometer() {
  if (!InclinometerOn() || static_cast<int32_t>(clock_.TickCount() - nextInclinometerTick_) < 0) return;
  SampleInclinometer(ownRng_);
}

// The board averages as many samples as its samples setting asks for; the noise shrinks with it.
uint16_t SimulatedUnit::SampleCount(double offset, double gain, double angleRad, std::mt19937& rng) {
  double count = RawCount(offset, gain, angleRad);
  if (noiseCounts_ > 0.0) {
    const int samples = std::clamp<int>(regs_[kInclinometerSamples], 1, kMaxAveragedSamples);
    std::normal_distribution<double> noise(0.0, noiseCounts_);
    double sum = 0.0;
    for (int k = 0; k < samples; ++k) sum += noise(rng);
    count += sum / samples;
  }
  return QuantiseCount(count);
}

void SimulatedUnit::MeasureBoardSupplies() {
  PutFloat(kBoardMinus12, supplies_.boardMinus12);
  PutFloat(kBoardPlus12, supplies_.boardPlus12);
  PutFloat(kBoard3V3, supplies_.board3V3);
}

void SimulatedUnit::SelectExternalSupply(uint16_t channel) {
  const double volts = channel == 0 ? supplies_.externalMinus12 : supplies_.externalPlus12;
  Int32ToRegisters(regs_.data(), kExternalSupplyChannel, channel);
  PutFloat(kExternalSupplyFull, volts);
  PutFloat(kExternalSupplyVolts, volts / 3.0);
}

void SimulatedUnit::PutFloat(uint16_t reg, double value) {
  Int32ToRegisters(regs_.data(), reg, FloatBits(static_cast<float>(value)));
}

double SimulatedUnit::GetFloat(uint16_t reg) const { return RegistersToFloat(regs_.data(), reg); }

// --- the bench ---

void SimulatedUnit::SetTilt(double tiltDeg) {
  std::lock_guard<std::mutex> lock(mutex_);
  bench_.tiltDeg = tiltDeg;
}

bool SimulatedUnit::SetRotation(int rotationDeg) {
  if (!IsFixtureRotation(rotationDeg)) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  bench_.rotationDeg = rotationDeg;
  return true;
}

void SimulatedUnit::SetAppliedPressure(double psi) {
  std::lock_guard<std::mutex> lock(mutex_);
  bench_.appliedPsi = psi;
}

void SimulatedUnit::SetAtmosphere(double mbar) {
  std::lock_guard<std::mutex> lock(mutex_);
  bench_.atmosphereMbar = mbar;
}

void SimulatedUnit::SetSupply(Supply supply, double volts) {
  std::lock_guard<std::mutex> lock(mutex_);
  switch (supply) {
    case Supply::BoardMinus12: supplies_.boardMinus12 = volts; break;
    case Supply::BoardPlus12: supplies_.boardPlus12 = volts; break;
    case Supply::Board3V3: supplies_.board3V3 = volts; break;
    case Supply::ExternalMinus12: supplies_.externalMinus12 = volts; break;
    case Supply::ExternalPlus12: supplies_.externalPlus12 = volts; break;
  }
}

void SimulatedUnit::SetSensorTruth(const SensorTruth& truth) {
  std::lock_guard<std::mutex> lock(mutex_);
  truth_ = truth;
}

Bench SimulatedUnit::bench() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return bench_;
}

SensorTruth SimulatedUnit::truth() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return truth_;
}

SupplyVolts SimulatedUnit::supplies() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return supplies_;
}

void SimulatedUnit::SetNoise(double counts) {
  std::lock_guard<std::mutex> lock(mutex_);
  noiseCounts_ = counts;
}

void SimulatedUnit::SetSeed(uint32_t seed) {
  std::lock_guard<std::mutex> lock(mutex_);
  rng_.seed(seed);
  ownRng_.seed(seed);
}

void SimulatedUnit::SetMeasureDelay(uint32_t ms) {
  std::lock_guard<std::mutex> lock(mutex_);
  measureDelayMs_ = ms;
}

// --- faults ---

void SimulatedUnit::InjectFault(Fault fault, FaultMode mode) {
  std::lock_guard<std::mutex> lock(mutex_);
  FaultSlot& slot = fault == Fault::NeverReady ? neverReady_ : fault == Fault::BrokenLoop ? brokenLoop_ : replyFault_;
  slot = {fault, mode, true};
}

void SimulatedUnit::RefuseWrites(uint16_t first, uint16_t last, FaultMode mode) {
  std::lock_guard<std::mutex> lock(mutex_);
  refusedWrites_.mode = mode;
  refusedWrites_.armed = true;
  refusedFirst_ = first;
  refusedLast_ = last;
}

void SimulatedUnit::ClearFaults() {
  std::lock_guard<std::mutex> lock(mutex_);
  replyFault_.armed = neverReady_.armed = brokenLoop_.armed = refusedWrites_.armed = false;
}

// --- the board ---

void SimulatedUnit::PowerCycle() {
  std::lock_guard<std::mutex> lock(mutex_);
  PowerUp();
}

BootImage SimulatedUnit::bootImage() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return boot_;
}

UnitMode SimulatedUnit::mode() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return mode_;
}

bool SimulatedUnit::unlocked() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return unlocked_;
}

std::optional<uint16_t> SimulatedUnit::Register(uint16_t reg) {
  std::lock_guard<std::mutex> lock(mutex_);
  Refresh();
  if (AccessOf(reg) == 0) return std::nullopt;
  return regs_[reg];
}

std::vector<std::pair<uint16_t, uint16_t>> SimulatedUnit::Registers(uint16_t first, uint16_t count) {
  std::lock_guard<std::mutex> lock(mutex_);
  Refresh();
  std::vector<std::pair<uint16_t, uint16_t>> found;
  for (uint32_t r = first; r < regs_.size() && found.size() < count; ++r)
    if (AccessOf(static_cast<uint16_t>(r)) != 0) found.emplace_back(static_cast<uint16_t>(r), regs_[r]);
  return found;
}

bool SimulatedUnit::SetRegister(uint16_t reg, uint16_t value) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (AccessOf(reg) == 0) return false;
  Store(reg, value);
  PublishMemory();
  return true;
}

MemoryImage SimulatedUnit::MemoryLocked() const {
  MemoryImage image;
  for (uint16_t r = 0; r < regs_.size(); ++r)
    if (AccessOf(r) & kKept) image.emplace_back(r, regs_[r]);
  return image;
}

MemoryImage SimulatedUnit::Memory() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return MemoryLocked();
}

bool SimulatedUnit::LoadMemory(const MemoryImage& image, std::string& error) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& [reg, value] : image) {
    if ((AccessOf(reg) & kKept) == 0) {
      error = "register " + std::to_string(reg) + " is not kept in the board's memory";
      return false;
    }
  }
  for (const auto& [reg, value] : image) regs_[reg] = value;
  return true;
}

void SimulatedUnit::SetMemoryObserver(std::function<void(const MemoryImage&)> observer) {
  std::lock_guard<std::mutex> lock(mutex_);
  memoryObserver_ = std::move(observer);
}

UnitStatus SimulatedUnit::StatusLocked() const {
  UnitStatus status;
  status.mode = mode_;
  status.unlocked = unlocked_;
  status.measurement = regs_[kMeasurementReady] ? MeasurementState::Ready
                       : measurementStuck_      ? MeasurementState::Stuck
                                                : MeasurementState::Running;
  status.gauge = Gauge();
  status.pressurePsi = GetFloat(kPressure);
  for (const FaultSlot* slot : {&replyFault_, &neverReady_, &brokenLoop_})
    if (slot->armed)
      status.faults.push_back(std::string(FaultName(slot->fault)) + (slot->mode == FaultMode::Once ? ":once" : ":always"));
  if (refusedWrites_.armed)
    status.faults.push_back(Format("refuse%u-%u", unsigned{refusedFirst_}, unsigned{refusedLast_}) +
                            (refusedWrites_.mode == FaultMode::Once ? ":once" : ":always"));
  status.bootRecords = boot_.records;
  status.bootErrors = boot_.badChecksums + boot_.badLines;
  return status;
}

UnitStatus SimulatedUnit::Status() {
  std::lock_guard<std::mutex> lock(mutex_);
  Refresh();
  return StatusLocked();
}

const char* MeasurementName(MeasurementState state) {
  switch (state) {
    case MeasurementState::Running: return "running";
    case MeasurementState::Ready: return "ready";
    case MeasurementState::Stuck: return "stuck";
  }
  return "?";
}

const char* GaugeName(GaugeState state) {
  switch (state) {
    case GaugeState::Off: return "off";
    case GaugeState::WarmingUp: return "warming";
    case GaugeState::Measuring: return "measuring";
  }
  return "?";
}

std::string SimulatedUnit::Describe() {
  std::lock_guard<std::mutex> lock(mutex_);
  Refresh();
  const UnitStatus status = StatusLocked();
  std::string faults;
  for (const std::string& fault : status.faults) faults += (faults.empty() ? "" : ",") + fault;
  std::string line = Format(
      "mode=%s unlocked=%s tilt=%.3f rotation=%d pressure=%.3f atmosphere=%.2f measurement=%s gauge=%s faults=%s",
      status.mode == UnitMode::Modbus ? "modbus" : "bootloader", status.unlocked ? "yes" : "no", bench_.tiltDeg,
      bench_.rotationDeg, bench_.appliedPsi, bench_.atmosphereMbar, MeasurementName(status.measurement),
      GaugeName(status.gauge), faults.empty() ? "none" : faults.c_str());
  if (status.mode == UnitMode::BootLoader)
    line += " records=" + std::to_string(status.bootRecords) + " bad=" + std::to_string(status.bootErrors);
  return line;
}

}  // namespace endcap::sim
