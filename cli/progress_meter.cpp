#include "cli/progress_meter.h"

#include <algorithm>

#include "serial/text_format.h"

namespace endcap {

namespace {

constexpr int kBarWidth = 40;
// The terminal's control sequence that clears from the cursor to the end of its line.
constexpr const char* kClearToEnd = "\x1b[K";

}  // namespace

int ProgressPercent(int done, int total) {
  if (total <= 0) return 100;
  if (done <= 0) return 0;
  if (done >= total) return 100;
  return static_cast<int>(100LL * done / total);
}

void ProgressMeter::SetRange(int lower, int upper) {
  lower_ = lower;
  upper_ = upper;
  lastTenth_ = 0;
  drawn_ = false;
}

void ProgressMeter::SetPosition(int position) {
  const int done = position - lower_;
  const int total = upper_ - lower_;
  const int percent = ProgressPercent(done, total);
  if (terminal_) {
    const int filled = percent * kBarWidth / 100;
    out_ << "\r[" << std::string(static_cast<size_t>(filled), '#') << std::string(static_cast<size_t>(kBarWidth - filled), '.')
         << "] " << percent << "% (" << done << " of " << total << ")";
    drawn_ = percent < 100;
    if (!drawn_) out_ << '\n';
    out_ << std::flush;
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

GangMeter::GangMeter(std::ostream& out, bool terminal, std::vector<std::string> labels, int lines)
    : out_(out), terminal_(terminal), programLines_(lines) {
  size_t width = 0;
  for (const std::string& label : labels) width = std::max(width, label.size());
  for (std::string& label : labels) {
    // On a terminal the lines stand in columns.
    if (terminal_) label.resize(width, ' ');
    boards_.push_back({std::move(label)});
  }
}

std::string GangMeter::Line(size_t board) const {
  const Board& b = boards_[board];
  return Format(terminal_ ? "%s %3d%% (%d of %d lines sent, %d unanswered)" : "%s: %d%% (%d of %d lines sent, %d unanswered)",
                b.label.c_str(), b.percent, b.lines, programLines_, b.unanswered);
}

void GangMeter::Show(size_t board, int sent, int pieces, int lines, int unanswered) {
  const std::lock_guard<std::mutex> lock(mutex_);
  Board& b = boards_.at(board);
  const int percent = ProgressPercent(sent, pieces);
  const bool nextTenth = percent / 10 > b.percent / 10;
  b.percent = percent;
  b.lines = lines;
  b.unanswered = unanswered;
  if (!terminal_) {
    if (nextTenth) out_ << Line(board) << '\n' << std::flush;
    return;
  }
  // Back up to the first board's line.
  if (drawn_) out_ << Format("\x1b[%zuA", boards_.size());
  for (size_t i = 0; i < boards_.size(); ++i) out_ << '\r' << Line(i) << kClearToEnd << '\n';
  out_ << std::flush;
  drawn_ = true;
}

}  // namespace endcap
