#include "console/station_simulator.h"

#include <stdlib.h>
#include <unistd.h>

namespace endcap {

namespace {

// A board that has been through the factory: serials set, both sensors fitted and enabled.
constexpr const char* kBoardSerial = "123456-001";
constexpr const char* kUnitSerial = "123456-007";

std::string MakePrivateFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/endcap-station-XXXXXX";
  return mkdtemp(pattern.data()) ? pattern : std::string();
}

sim::UnitConfig FactoryBoard() {
  sim::UnitConfig config;
  sim::EncodeSerial(kBoardSerial, config.boardSerial[0], config.boardSerial[1]);
  sim::EncodeSerial(kUnitSerial, config.unitSerial[0], config.unitSerial[1]);
  return config;
}

}  // namespace

StationSimulator::StationSimulator()
    : folder_(MakePrivateFolder()),
      link_(folder_.empty() ? std::string() : folder_ + "/COM1"),
      unit_(clock_, FactoryBoard()),
      server_(unit_, link_) {}

StationSimulator::~StationSimulator() {
  server_.Stop();
  if (!folder_.empty()) ::rmdir(folder_.c_str());
}

bool StationSimulator::Start(std::string& error) {
  if (folder_.empty()) {
    error = "no folder for the simulated line's link";
    return false;
  }
  if (server_.Start().empty()) {
    error = server_.lastError();
    return false;
  }
  return true;
}

}  // namespace endcap
