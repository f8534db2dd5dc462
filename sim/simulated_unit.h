#pragma once
// The simulated sensor board: one register table behind the Modbus RTU slave at address 250,
// the board's measurements of the bench around it (physics.h), its boot loader, and faults to
// inject. It does no I/O of its own: a transport (MemoryUnitPeer for tests, PtyUnitServer for a
// pseudo-terminal) hands it the bytes the station sends and puts the bytes it answers on the
// line at the times it asks for. Every public operation takes the unit's lock, so a transport
// thread and a control thread (the bench window, the command reader) may share one unit.
//
// Protocol as the board speaks it:
//  - function 4 reads and functions 6 and 16 write the one table; 6 answers with the request's
//    echo, 16 with its address, function, first register and count. A register outside the map
//    gives exception 2 (so does a write to a register the station may not write), a bad count,
//    length or command value exception 3, an unknown function exception 1;
//  - function 16 needs function 65 with the access code first. The unlock lasts until the next
//    function 16 request, which uses it up whether it succeeds or not; function 66, a wrong
//    access code and a power cycle also end it. A locked function 16 gives exception 1 (the
//    board is in the wrong state for that function);
//  - functions 65, 66 and 69 answer address, function, 'B'; function 70 answers nothing and
//    turns the board into its boot loader, which answers each text line until a power cycle;
//  - a request for another address, or with a wrong CRC, is ignored;
//  - writing 0 to 300 starts a measurement: 304 reads 0 and both pressure values -1000 until
//    the measurement delay has passed on the unit's clock; then 304 reads 1 and 300-310 hold
//    the new values. Only sensors both fitted and enabled are measured; the pressure of an
//    unmeasured gauge stays at -1000. The board also measures once at power-up;
//  - the inclinometer, while fitted and enabled, also measures on its own between the starts:
//    new raw counts, pitch and roll one measurement delay after the last, read without a start
//    (304 stays as the last start left it);
//  - the strain gauge, like a real one, keeps measuring on its own while it is fitted and
//    enabled: a new pressure every measurement delay, read without any start. Its values read
//    -1000 until its warm-up (register 134, tenths of a second) has passed since it was enabled
//    or powered up, and while a started measurement is still running or stuck. A NeverReady
//    fault armed always keeps them at -1000 too.

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "protocol/pressure.h"
#include "protocol/register_map.h"
#include "serial/clock.h"
#include "sim/physics.h"
#include "sim/rtu_framer.h"

namespace endcap::sim {

// 10 bits a character at 9600 baud.
constexpr uint32_t kByteTimeUs = 1042;
// From the end of a request to the first byte of the answer.
constexpr uint32_t kTurnaroundUs = 2000;
// A stalled reply pauses this long between its halves, beyond the station's 50 ms silence.
constexpr uint32_t kStallPauseMs = 80;
constexpr uint32_t kDefaultMeasureDelayMs = 150;

// Bytes for the line: the first startUs after the request arrived, then one every kByteTimeUs.
struct Transmission {
  std::vector<uint8_t> bytes;
  uint32_t startUs = 0;
};
using ReplyPlan = std::vector<Transmission>;

// Reply faults shape the Modbus answer of a request the board has carried out (ExceptionReply
// refuses the request instead, with exception 4). NeverReady leaves a measurement unready until
// the next start; BrokenLoop loses what is written to the RS485 loop register (it reads 0).
// Once applies to the next reply, measurement or loop write; Always until ClearFaults. Only one
// reply fault is armed at a time: a new one replaces the old.
enum class Fault { NoReply, BadCrc, ShortReply, ExceptionReply, CutReply, StalledReply, NeverReady, BrokenLoop };
enum class FaultMode { Once, Always };
constexpr Fault kAllFaults[] = {Fault::NoReply,      Fault::BadCrc,       Fault::ShortReply, Fault::ExceptionReply,
                                Fault::CutReply,     Fault::StalledReply, Fault::NeverReady, Fault::BrokenLoop};
// The fault's name in the control commands: noreply, badcrc, short, exception, cut, stall,
// notready, loop.
const char* FaultName(Fault fault);

enum class Supply { BoardMinus12, BoardPlus12, Board3V3, ExternalMinus12, ExternalPlus12 };
enum class UnitMode { Modbus, BootLoader };
enum class MeasurementState { Running, Ready, Stuck };
// The strain gauge: not fitted or not enabled, warming up (or held by a fault), measuring.
enum class GaugeState { Off, WarmingUp, Measuring };

struct UnitConfig {
  uint32_t measureDelayMs = kDefaultMeasureDelayMs;
  double noiseCounts = 0.0;  // standard deviation of one inclinometer sample
  uint32_t seed = 1;
  uint16_t fittedSensors = reg::kSensorInclinometer | reg::kSensorStrainGauge;
  // BCD register pairs as EncodeSerial makes them; all bits set: erased.
  std::array<uint16_t, 2> boardSerial{0xFFFF, 0xFFFF};
  std::array<uint16_t, 2> unitSerial{0xFFFF, 0xFFFF};
  SensorTruth truth;
};

// What the bench shows of the board from moment to moment.
struct UnitStatus {
  UnitMode mode = UnitMode::Modbus;
  bool unlocked = false;
  MeasurementState measurement = MeasurementState::Ready;
  GaugeState gauge = GaugeState::Off;
  double pressurePsi = kPressureNotReadyMark;  // the first pressure value as the station reads it
  // The armed faults as the fault command names them, with their mode: "noreply:always".
  std::vector<std::string> faults;
  int bootRecords = 0;  // boot loader only: good and bad text lines
  int bootErrors = 0;
};

// (register, value) of the registers the board keeps across power cycles: identity, settings,
// calibration coefficients and records.
using MemoryImage = std::vector<std::pair<uint16_t, uint16_t>>;

struct SupplyVolts {
  double boardMinus12 = -12.04;
  double boardPlus12 = 12.03;
  double board3V3 = 3.29;
  double externalMinus12 = -11.97;
  double externalPlus12 = 12.06;
};

// Their names in the status line: running, ready, stuck; off, warming, measuring.
const char* MeasurementName(MeasurementState state);
const char* GaugeName(GaugeState state);

// What the boot loader took since the board was last switched to it; kept across a power cycle
// so that the bench can look at a load after the operator has cycled the power.
struct BootImage {
  std::vector<std::string> lines;  // every line received, without its line end
  int records = 0;                 // good records taken
  int badChecksums = 0;            // well-formed records with a wrong checksum
  int badLines = 0;                // lines that are not records at all, or too long
  bool endedWithEof = false;       // the last line taken was a good end-of-file record
};

// The two BCD registers of a serial text "DDDDDD-0DD" (the first digit may be E).
bool EncodeSerial(const std::string& text, uint16_t& first, uint16_t& second);

class SimulatedUnit {
public:
  explicit SimulatedUnit(Clock& clock, UnitConfig config = {});
  SimulatedUnit(const SimulatedUnit&) = delete;
  SimulatedUnit& operator=(const SimulatedUnit&) = delete;

  // --- the line ---
  // Bytes from the station; returns what to answer, timed from now.
  ReplyPlan OnBytes(const uint8_t* data, size_t size);
  // The line has been silent for 3.5 character times.
  ReplyPlan OnSilence();
  // A request is partly in, so a silence would end it.
  bool ExpectsMore() const;

  // --- the bench ---
  void SetTilt(double tiltDeg);
  // False unless 0, 90, 180 or 270.
  bool SetRotation(int rotationDeg);
  void SetAppliedPressure(double psi);
  void SetAtmosphere(double mbar);
  void SetSupply(Supply supply, double volts);
  void SetSensorTruth(const SensorTruth& truth);
  Bench bench() const;
  SensorTruth truth() const;
  SupplyVolts supplies() const;
  void SetNoise(double counts);
  void SetSeed(uint32_t seed);
  void SetMeasureDelay(uint32_t ms);

  // --- faults ---
  void InjectFault(Fault fault, FaultMode mode);
  // A write (function 6 or 16) that touches a register from first to last is refused with
  // exception 4 and changes nothing, as a board whose memory there will not take it. Once: the
  // next such write. One range at a time; ClearFaults disarms it.
  void RefuseWrites(uint16_t first, uint16_t last, FaultMode mode);
  void ClearFaults();

  // --- the board ---
  // Back to Modbus, locked, measurements restarted; the kept registers stay.
  void PowerCycle();
  UnitMode mode() const;
  BootImage bootImage() const;
  bool unlocked() const;
  // Current value; nullopt outside the map.
  std::optional<uint16_t> Register(uint16_t reg);
  // The mapped registers from first on, at most count of them.
  std::vector<std::pair<uint16_t, uint16_t>> Registers(uint16_t first, uint16_t count);
  // Pokes any mapped register, as a debugger would: no access rule, no side effect.
  bool SetRegister(uint16_t reg, uint16_t value);
  MemoryImage Memory() const;
  // Replaces kept registers; false, with a reason, for a register the board does not keep.
  bool LoadMemory(const MemoryImage& image, std::string& error);
  // Called once for each request or poke that changed a kept register, with the whole memory
  // and the unit's lock held: it must not call back into the unit.
  void SetMemoryObserver(std::function<void(const MemoryImage&)> observer);
  UnitStatus Status();
  // One line: mode, lock, bench, measurement, gauge, faults.
  std::string Describe();

private:
  struct FaultSlot {
    Fault fault = Fault::NoReply;
    FaultMode mode = FaultMode::Once;
    bool armed = false;
    // True when armed; a Once fault is then used up.
    bool Take();
  };

  void PowerUp();
  void Refresh();
  void HandleFrame(const Frame& frame, ReplyPlan& plan);
  // The reply without CRC; empty for none.
  Frame Execute(const Frame& request);
  Frame ReadRegisters(const Frame& request);
  Frame WriteSingle(const Frame& request);
  Frame WriteMultiple(const Frame& request);
  Frame Control(const Frame& request);
  // 0 when the station may write value to reg, else the exception code.
  uint8_t CheckWrite(uint16_t reg, uint16_t value) const;
  // Whether a write of count registers from first meets the refused range (using up a Once).
  bool WriteRefused(uint16_t first, uint16_t count);
  void ApplyWrite(uint16_t reg, uint16_t value);
  void Store(uint16_t reg, uint16_t value);
  // Tells the observer once about the kept registers changed since the last call.
  void PublishMemory();
  ReplyPlan Shape(Frame reply, uint32_t startUs);
  void BootLoaderByte(uint8_t byte, ReplyPlan& plan);
  std::string BootLoaderAnswer(const std::string& line);

  void StartMeasurement(bool byStation);
  void CompleteMeasurement();
  bool InclinometerOn() const;
  // Raw counts, pitch and roll of the fixture as it is now.
  void SampleInclinometer(std::mt19937& rng);
  void MeasureInclinometer();
  GaugeState Gauge() const;
  void MeasureGauge();
  void ClearPressure();
  UnitStatus StatusLocked() const;
  uint16_t SampleCount(double offset, double gain, double angleRad, std::mt19937& rng);
  void MeasureBoardSupplies();
  void SelectExternalSupply(uint16_t channel);
  void PutFloat(uint16_t reg, double value);
  double GetFloat(uint16_t reg) const;
  MemoryImage MemoryLocked() const;

  mutable std::mutex mutex_;
  Clock& clock_;
  std::vector<uint16_t> regs_;
  Bench bench_;
  SensorTruth truth_;
  SupplyVolts supplies_;
  uint32_t measureDelayMs_;
  double noiseCounts_;
  std::mt19937 rng_;     // the noise of the measurements the station starts
  std::mt19937 ownRng_;  // and of those the inclinometer makes on its own

  UnitMode mode_ = UnitMode::Modbus;
  bool unlocked_ = false;
  RtuFramer framer_;
  std::string textLine_;
  BootImage boot_;

  bool measuring_ = false;
  bool measurementStuck_ = false;
  uint32_t measurementStartTick_ = 0;
  uint32_t nextInclinometerTick_ = 0;  // when its next continuous reading is due
  uint32_t gaugeOnTick_ = 0;       // when the gauge was last enabled or powered up
  uint32_t nextGaugeTick_ = 0;     // when its next continuous value is due
  bool gaugeValueTaken_ = false;   // a value has been taken since it warmed up

  FaultSlot replyFault_;
  FaultSlot neverReady_{Fault::NeverReady};
  FaultSlot brokenLoop_{Fault::BrokenLoop};
  FaultSlot refusedWrites_;
  uint16_t refusedFirst_ = 0;
  uint16_t refusedLast_ = 0;

  std::function<void(const MemoryImage&)> memoryObserver_;
  bool memoryChanged_ = false;
};

}  // namespace endcap::sim
