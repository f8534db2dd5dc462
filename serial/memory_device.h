#pragma once
// An in-memory serial line for logic tests: the station's end is a SerialDevice, the far end
// is a LinePeer (the simulated unit) that is handed every write and schedules its reply bytes
// at tick times of the shared clock. With a VirtualClock a whole exchange costs no real time,
// and still sees the reply's timing (a byte every ~1.04 ms at 9600 baud, delays, silences).

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "serial/clock.h"
#include "serial/serial_device.h"

namespace endcap {

class LinePeer {
public:
  virtual ~LinePeer() = default;
  virtual void OnHostBytes(const uint8_t* data, size_t size) = 0;
};

class MemoryLine {
public:
  explicit MemoryLine(Clock& clock) : clock_(clock) {}

  // Out of line: inlined into a peer that registers itself on construction and unregisters in
  // its destructor, GCC's dangling-pointer check takes the kept pointer for a dangling one.
  void SetPeer(LinePeer* peer);
  Clock& clock() { return clock_; }

  // Queue bytes towards the station: the first arrives delayMs from now, the rest every
  // byteTimeUs microseconds after it.
  void Send(const std::vector<uint8_t>& bytes, uint32_t delayMs, uint32_t byteTimeUs = 1042);

  // Unplug: reads report HungUp and opens fail until Replug.
  void HangUp() { hungUp_ = true; }
  void Replug() { hungUp_ = false; }
  bool hungUp() const { return hungUp_; }

  bool inUse() const { return inUse_; }
  const std::vector<uint8_t>& written() const { return written_; }  // everything the station sent
  std::vector<std::vector<uint8_t>>& writes() { return writes_; }   // one entry per Write
  int purgeCount() const { return purges_; }
  int baudRate() const { return baud_; }

private:
  friend class MemoryDevice;
  struct Pending {
    uint32_t dueTick;
    uint8_t byte;
  };
  bool Due(const Pending& p) const { return static_cast<int32_t>(clock_.TickCount() - p.dueTick) >= 0; }

  Clock& clock_;
  LinePeer* peer_ = nullptr;
  std::deque<Pending> pending_;
  std::vector<uint8_t> written_;
  std::vector<std::vector<uint8_t>> writes_;
  bool hungUp_ = false;
  bool inUse_ = false;
  int purges_ = 0;
  int baud_ = 0;
};

class MemoryDevice : public SerialDevice {
public:
  explicit MemoryDevice(MemoryLine& line);
  ~MemoryDevice() override;
  ReadStatus ReadByte(uint8_t& byte, int waitMs) override;
  bool Write(const uint8_t* data, size_t size) override;
  void Purge() override;
  bool SetBaudRate(int baud) override;

private:
  MemoryLine& line_;
};

// COM numbers wired to memory lines; an unwired number does not exist, a line already open
// is busy, an unplugged one cannot be opened.
class MemoryPortProvider : public PortProvider {
public:
  void Attach(int portNumber, MemoryLine& line) { lines_[portNumber] = &line; }
  std::unique_ptr<SerialDevice> OpenPort(int portNumber, SerialError& error) override;
  int openCount() const { return opens_; }

private:
  std::map<int, MemoryLine*> lines_;
  int opens_ = 0;
};

}  // namespace endcap
