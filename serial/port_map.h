#pragma once
// COM port numbers as the operator knows them, mapped to Linux device paths.
// Default: COM1-COM4 are /dev/ttyS0-/dev/ttyS3, COM5-COM8 are /dev/ttyUSB0-/dev/ttyUSB3;
// --port N=PATH maps COM N to any path (a /dev/serial/by-id/ link, a pty).

#include <map>
#include <string>
#include <vector>

namespace endcap {

class PortMap {
public:
  PortMap();
  void Set(int portNumber, const std::string& path);
  // "N=PATH" with N from 1 to 255; false on a malformed entry.
  bool SetFromOption(const std::string& option);
  // Empty when the number has no device.
  std::string PathOf(int portNumber) const;
  // The numbers mapped by SetFromOption, in the order given.
  const std::vector<int>& optionPorts() const { return optionPorts_; }

private:
  std::map<int, std::string> paths_;
  std::vector<int> optionPorts_;
};

}  // namespace endcap
