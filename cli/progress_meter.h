#pragma once
// The main window's progress bar on a terminal: on a terminal a bar redrawn in place on one
// line; in a log or a pipe one line at every tenth of the way, so the output stays readable.

#include <ostream>

namespace endcap {

class ProgressMeter {
public:
  ProgressMeter(std::ostream& out, bool terminal) : out_(out), terminal_(terminal) {}

  void SetRange(int lower, int upper);
  void SetPosition(int position);
  // The bar is hidden: ends the line it was drawn on.
  void Finish();

private:
  int Percent(int position) const;

  std::ostream& out_;
  bool terminal_;
  int lower_ = 0;
  int upper_ = 100;
  int lastTenth_ = 0;
  bool drawn_ = false;
};

}  // namespace endcap
