#pragma once
// The main window's progress bar on a terminal: on a terminal a bar redrawn in place on one
// line, ended when it reaches 100 % so that what follows starts on a line of its own; in a log
// or a pipe one line at every tenth of the way, so the output stays readable.

#include <cstddef>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "cli/gang_bootload.h"

namespace endcap {

// done of total as a whole percent, 0 to 100; nothing to do is all done.
int ProgressPercent(int done, int total);

class ProgressMeter {
public:
  ProgressMeter(std::ostream& out, bool terminal) : out_(out), terminal_(terminal) {}

  void SetRange(int lower, int upper);
  void SetPosition(int position);
  // The bar is hidden: ends the line it was drawn on.
  void Finish();

private:
  std::ostream& out_;
  bool terminal_;
  int lower_ = 0;
  int upper_ = 100;
  int lastTenth_ = 0;
  bool drawn_ = false;
};

// The progress of a gang load, a line per board (its port and device, percent, lines sent and
// unanswered so far). On a terminal the lines stand one under the other and are redrawn in
// place; elsewhere a board's line is written at every tenth of its way. The boards report from
// their own threads.
class GangMeter : public GangProgress {
public:
  // labels: each board's port and device; lines: the lines of the program.
  GangMeter(std::ostream& out, bool terminal, std::vector<std::string> labels, int lines);

  void Show(size_t board, int sent, int pieces, int lines, int unanswered) override;

private:
  std::string Line(size_t board) const;

  struct Board {
    std::string label;
    int percent = 0;
    int lines = 0;
    int unanswered = 0;
  };
  std::mutex mutex_;
  std::ostream& out_;
  bool terminal_;
  int programLines_;
  std::vector<Board> boards_;
  bool drawn_ = false;
};

}  // namespace endcap
