#pragma once
// The programs' helpers (the simulator, its bench window module, the spreadsheet bridge) lie
// beside the programs in a build tree; an installed package keeps the programs in a bin folder
// and the helpers in lib/endcap-station beside it.

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

// Where the helper name is: beside the running program, else in ../lib/endcap-station from
// the program's folder where the package puts it. Neither there: the path beside the program,
// which the caller's message then names.
inline std::string HelperPath(const std::string& name) {
  const std::string beside = BesideThisProgram(name);
  if (::access(beside.c_str(), F_OK) == 0) return beside;
  const std::string installed = BesideThisProgram("../lib/endcap-station/" + name);
  return ::access(installed.c_str(), F_OK) == 0 ? installed : beside;
}

}  // namespace endcap
