#include "cli/progress_meter.h"

#include <string>

namespace endcap {

namespace {

constexpr int kBarWidth = 40;

}  // namespace

void ProgressMeter::SetRange(int lower, int upper) {
  lower_ = lower;
  upper_ = upper;
  lastTenth_ = 0;
  drawn_ = false;
}

int ProgressMeter::Percent(int position) const {
  if (upper_ <= lower_) return 100;
  if (position <= lower_) return 0;
  if (position >= upper_) return 100;
  return static_cast<int>(100LL * (position - lower_) / (upper_ - lower_));
}

void ProgressMeter::SetPosition(int position) {
  const int percent = Percent(position);
  const int done = position - lower_;
  const int total = upper_ - lower_;
  if (terminal_) {
    const int filled = percent * kBarWidth / 100;
    out_ << "\r[" << std::string(static_cast<size_t>(filled), '#') << std::string(static_cast<size_t>(kBarWidth - filled), '.')
         << "] " << percent << "% (" << done << " of " << total << ")" << std::flush;
    drawn_ = true;
    return;
  }
  if (percent / 10 <= lastTenth_) return;
  lastTenth_ = percent / 10;
  out_ << percent << "% (" << done << " of " << total << ")\n" << std::flush;
}

void ProgressMeter::Finish() {
  if (drawn_) out_ << '\n' << std::flush;
  drawn_ = false;
}

}  // namespace endcap
