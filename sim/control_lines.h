#pragma once
// The simulator's standard input cut into command lines as it arrives. Each byte is looked at
// once, so a very long line without its line feed costs no more than its length.

#include <cstddef>
#include <functional>
#include <string>

namespace endcap::sim {

class ControlLines {
public:
  using LineHandler = std::function<void(const std::string& line)>;

  // Takes the next chunk of input; onLine gets each line it completes, without its line feed
  // (and without a carriage return before it).
  void Feed(const char* data, size_t size, const LineHandler& onLine);
  // End of input: a last line without its line feed still counts.
  void Finish(const LineHandler& onLine);

private:
  void Complete(const LineHandler& onLine);
  std::string pending_;
};

}  // namespace endcap::sim
