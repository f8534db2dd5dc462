#include "sim/state_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace endcap::sim {

bool ReadStateFile(const std::string& path, MemoryImage& image, std::string& error) {
  image.clear();
  std::ifstream in(path);
  if (!in) {
    if (errno == ENOENT) return true;
    error = path + ": " + std::strerror(errno);
    return false;
  }
  int lineNumber = 0;
  for (std::string line; std::getline(in, line);) {
    ++lineNumber;
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    long reg = -1, value = -1;
    std::string rest;
    if (!(fields >> reg >> value) || (fields >> rest) || reg < 0 || reg > 0xFFFF || value < 0 || value > 0xFFFF) {
      error = path + ":" + std::to_string(lineNumber) + ": expected REGISTER VALUE, found '" + line + "'";
      return false;
    }
    image.emplace_back(static_cast<uint16_t>(reg), static_cast<uint16_t>(value));
  }
  return true;
}

bool WriteStateFile(const std::string& path, const MemoryImage& image, std::string& error) {
  const std::string fresh = path + ".new";
  {
    std::ofstream out(fresh, std::ios::trunc);
    out << "# endcap-unit-sim: the simulated board's kept registers, REGISTER VALUE\n";
    for (const auto& [reg, value] : image) out << reg << ' ' << value << '\n';
    out.flush();
    if (!out) {
      error = fresh + ": " + std::strerror(errno);
      return false;
    }
  }
  if (std::rename(fresh.c_str(), path.c_str()) != 0) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace endcap::sim
