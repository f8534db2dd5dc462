#include "sim/control_lines.h"

#include <cstring>

namespace endcap::sim {

void ControlLines::Complete(const LineHandler& onLine) {
  if (!pending_.empty() && pending_.back() == '\r') pending_.pop_back();
  const std::string line = std::move(pending_);
  pending_.clear();
  onLine(line);
}

void ControlLines::Feed(const char* data, size_t size, const LineHandler& onLine) {
  const char* end = data + size;
  for (const char* p = data; p < end;) {
    const char* feed = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    pending_.append(p, feed ? feed : end);
    if (!feed) break;
    Complete(onLine);
    p = feed + 1;
  }
}

void ControlLines::Finish(const LineHandler& onLine) {
  if (!pending_.empty()) Complete(onLine);
}

}  // namespace endcap::sim
