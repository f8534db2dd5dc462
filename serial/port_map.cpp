#include "serial/port_map.h"

#include <cstdlib>

namespace endcap {

PortMap::PortMap() {
  for (int i = 0; i < 4; ++i) {
    paths_[i + 1] = "/dev/ttyS" + std::to_string(i);
    paths_[i + 5] = "/dev/ttyUSB" + std::to_string(i);
  }
}

void PortMap::Set(int portNumber, const std::string& path) { paths_[portNumber] = path; }

bool PortMap::SetFromOption(const std::string& option) {
  const auto eq = option.find('=');
  if (eq == std::string::npos || eq == 0 || eq + 1 >= option.size()) return false;
  char* end = nullptr;
  const long n = std::strtol(option.c_str(), &end, 10);
  if (end != option.c_str() + eq || n < 1 || n > 255) return false;
  Set(static_cast<int>(n), option.substr(eq + 1));
  optionPorts_.push_back(static_cast<int>(n));
  return true;
}

std::string PortMap::PathOf(int portNumber) const {
  auto it = paths_.find(portNumber);
  return it == paths_.end() ? std::string() : it->second;
}

}  // namespace endcap
