#include "serial/serial_port.h"

#include <cstring>
#include <string>

namespace endcap {

namespace {
constexpr int kReadWaitMs = 10;
constexpr uint32_t kPurgePauseMs = 20;
}  // namespace

SerialPort::SerialPort(PortProvider& provider, Clock& clock) : provider_(provider), clock_(clock) {}

SerialPort::~SerialPort() = default;

void SerialPort::Close() {
  device_.reset();
  isOpen = false;
}

bool SerialPort::Open() {
  if (isOpen) return true;
  if (portNumber <= 0) {
    Close();
    lastError_ = {SerialErrorCode::IllegalPortNumber, "COM" + std::to_string(portNumber) + ": illegal port number"};
    return false;
  }
  SerialError error;
  auto device = provider_.OpenPort(portNumber, error);
  if (!device) {
    Close();
    lastError_ = error;
    if (trace_) trace_->Note("COM" + std::to_string(portNumber) + " not opened: " + error.reason);
    return false;
  }
  if (!device->SetBaudRate(9600)) {
    Close();
    lastError_ = {SerialErrorCode::SettingsFailed, "COM" + std::to_string(portNumber) + ": line settings not applied"};
    return false;
  }
  device_ = std::move(device);
  baudRate = 9600;
  isOpen = true;
  lastError_ = {};
  if (trace_) trace_->Note("opened COM" + std::to_string(portNumber));
  return true;
}

bool SerialPort::OpenOnPort(int32_t port) {
  portNumber = port;
  const bool opened = Open();
  if (opened) SetBaudRateFromText("Config(9600,8,N,1)");
  return opened;
}

bool SerialPort::SetBaudRateFromText(const char* text) {
  if (!isOpen) return false;
  static const struct {
    const char* name;
    int32_t rate;
  } kRates[] = {{"9600", 9600}, {"19200", 19200}, {"38400", 38400}, {"57600", 57600}, {"115200", 115200}};
  int32_t rate = 0;
  for (const auto& r : kRates)
    if (std::strstr(text, r.name)) rate = r.rate;
  if (rate == 0) return false;
  if (!device_->SetBaudRate(rate)) return false;
  baudRate = rate;
  return true;
}

void SerialPort::WaitMilliseconds(uint32_t ms) {
  // Same end as a spin on the tick counter, but each round sleeps for the time still to go
  // instead of burning a core. The time passed is the unsigned difference from the start, so
  // neither the tick's wrap nor a sleep that overshoots it can make the end seem far away.
  const uint32_t start = clock_.TickCount();
  for (uint32_t passed = 0; passed < ms; passed = clock_.TickCount() - start) clock_.Sleep(ms - passed);
}

void SerialPort::PauseAndPurge() {
  WaitMilliseconds(kPurgePauseMs);
  device_->Purge();
  WaitMilliseconds(kPurgePauseMs);
}

ReadStatus SerialPort::ReadOne(uint8_t& byte, int waitMs) {
  const ReadStatus status = device_->ReadByte(byte, waitMs);
  if (status == ReadStatus::HungUp) {
    lastError_ = {SerialErrorCode::HungUp, "COM" + std::to_string(portNumber) + ": the device was unplugged"};
    if (trace_) trace_->Note("COM" + std::to_string(portNumber) + " hung up; closed");
    Close();
  }
  return status;
}

bool SerialPort::TransactText(char* buffer, size_t capacity, int32_t timeoutSeconds) {
  if (!Open()) return false;
  PauseAndPurge();
  const int64_t limit = timeoutSeconds < 0 ? -static_cast<int64_t>(timeoutSeconds) : timeoutSeconds;
  const size_t length = capacity ? strnlen(buffer, capacity) : 0;
  if (length > 0) {
    device_->Write(reinterpret_cast<const uint8_t*>(buffer), length);
    if (trace_) trace_->Text(">>", std::string(buffer, length));
  }
  if (timeoutSeconds == 0) return true;

  const int64_t start = clock_.WholeSeconds();
  size_t stored = 0;
  bool found = false;
  std::string seen;
  do {
    uint8_t byte = 0;
    const ReadStatus status = ReadOne(byte, kReadWaitMs);
    if (status == ReadStatus::HungUp) break;
    if (status == ReadStatus::Byte) {
      if (stored + 1 < capacity) buffer[stored++] = static_cast<char>(byte);
      if (trace_) seen.push_back(static_cast<char>(byte));
      if (timeoutSeconds > 0 && static_cast<char>(byte) == terminator) found = true;
    }
  } while (clock_.WholeSeconds() - start <= limit && !found);
  if (capacity) buffer[stored] = '\0';
  if (trace_) trace_->Text("<<", seen);
  return found;
}

int32_t SerialPort::TransactBytes(uint8_t* buffer, size_t capacity, int32_t writeCount, int32_t expected,
                                  int32_t timeoutSeconds, int32_t silenceMs) {
  if (capacity == 0) return 0;
  if (!Open()) return 0;
  PauseAndPurge();
  if (writeCount > 0) {
    const size_t n = static_cast<size_t>(writeCount) < capacity ? static_cast<size_t>(writeCount) : capacity;
    device_->Write(buffer, n);
    if (trace_) trace_->Bytes(">>", buffer, n);
  }
  if (timeoutSeconds == 0) return 1;

  const uint32_t silence = static_cast<uint32_t>(silenceMs) & 0xFFFFu;
  const int64_t start = clock_.WholeSeconds();
  size_t count = 0;
  uint32_t lastByteTick = 0;
  bool done = false;
  do {
    // Once a byte has come, wait no longer than the silence still to go, so that the end of a
    // reply is seen within a millisecond of it rather than up to a whole read later.
    int waitMs = kReadWaitMs;
    if (count > 0 && silence != 0) {
      const uint32_t quiet = clock_.TickCount() - lastByteTick;
      const uint32_t toGo = quiet > silence ? 0 : silence + 1 - quiet;
      if (toGo < static_cast<uint32_t>(waitMs)) waitMs = static_cast<int>(toGo);
    }
    uint8_t byte = 0;
    const ReadStatus status = ReadOne(byte, waitMs);
    if (status == ReadStatus::HungUp) break;
    if (status == ReadStatus::Byte) {
      buffer[count++] = byte;
      lastByteTick = clock_.TickCount();
      if ((expected > 0 && count > static_cast<size_t>(expected)) || count >= capacity) done = true;
    } else if (count > 0 && silence != 0 && clock_.TickCount() - lastByteTick > silence) {
      done = true;
    }
  } while (clock_.WholeSeconds() - start <= timeoutSeconds && !done);
  if (trace_) trace_->Bytes("<<", buffer, count);
  return static_cast<int32_t>(count);
}

}  // namespace endcap
