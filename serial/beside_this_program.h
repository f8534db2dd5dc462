#pragma once
// The simulator's files are installed beside the programs that run them: endcap-unit-sim beside
// endcap-station, its bench window module beside endcap-unit-sim.

#include <unistd.h>

#include <climits>
#include <string>

namespace endcap {

// The path of name in the folder of the running program.
inline std::string BesideThisProgram(const std::string& name) {
  char path[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  const std::string self = n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
  return self.substr(0, self.rfind('/') + 1) + name;
}

}  // namespace endcap
