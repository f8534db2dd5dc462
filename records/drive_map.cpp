#include "records/drive_map.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace endcap {

namespace {

std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

}  // namespace

DriveMap::DriveMap() { drives_['C'] = HomeDirectory(); }

void DriveMap::Set(char letter, const std::string& directory) {
  std::string dir = directory;
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  drives_[Upper(letter)] = dir;
}

bool DriveMap::SetFromOption(const std::string& option) {
  if (option.size() < 3 || !std::isalpha(static_cast<unsigned char>(option[0])) || option[1] != '=') return false;
  Set(option[0], option.substr(2));
  return true;
}

std::string DriveMap::DirectoryOf(char letter) const {
  const char upper = Upper(letter);
  auto it = drives_.find(upper);
  if (it != drives_.end()) return it->second;
  return std::string("/mnt/") + static_cast<char>(std::tolower(static_cast<unsigned char>(upper)));
}

std::string DriveMap::Resolve(const std::string& windowsPath) const {
  if (windowsPath.size() < 2 || !std::isalpha(static_cast<unsigned char>(windowsPath[0])) || windowsPath[1] != ':')
    return windowsPath;
  std::string rest = windowsPath.substr(2);
  for (char& c : rest)
    if (c == '\\') c = '/';
  std::string base = DirectoryOf(windowsPath[0]);
  if (rest.empty() || rest[0] != '/') rest.insert(rest.begin(), '/');
  if (base == "/") base.clear();
  return base + rest;
}

bool MakeDirectories(const std::string& path) {
  if (path.empty()) return false;
  for (size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos != path.size() && path[pos] != '/') continue;
    const std::string prefix = path.substr(0, pos);
    if (mkdir(prefix.c_str(), 0775) != 0 && errno != EEXIST) return false;
  }
  struct stat st{};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace endcap
