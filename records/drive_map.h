#pragma once
// Windows folder names of the station ("C:\Quorvanta\D5Status") mapped to Linux directories:
// drive C is the user's home directory, any other letter X is /mnt/x, and --drive X=DIR moves
// a drive anywhere.

#include <map>
#include <string>

namespace endcap {

class DriveMap {
public:
  DriveMap();  // C: from $HOME (or the password database), others under /mnt
  void Set(char letter, const std::string& directory);
  // "X=DIR"; false on a malformed entry.
  bool SetFromOption(const std::string& option);
  // "X:\a\b" -> "<dir of X>/a/b"; a text that is not a drive path is returned unchanged.
  std::string Resolve(const std::string& windowsPath) const;
  std::string DirectoryOf(char letter) const;

private:
  std::map<char, std::string> drives_;
};

// Creates the directory and any missing parents; true when it exists on return.
bool MakeDirectories(const std::string& path);

}  // namespace endcap
