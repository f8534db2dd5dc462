#pragma once
// What the control commands can do to the line a simulated unit hangs on, whatever carries it.

#include <string>

namespace endcap::sim {

class LineControl {
public:
  virtual ~LineControl() = default;
  // Unplug the converter: the station's next read sees the device gone.
  virtual void HangUp() = 0;
  // Plug it back in. True with detail = the device path the station must open now (empty when
  // the line has no path of its own); false with detail = why not.
  virtual bool Replug(std::string& detail) = 0;
};

}  // namespace endcap::sim
