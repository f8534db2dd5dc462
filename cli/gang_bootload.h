#pragma once
// A gang load: one checked program into the boards on several ports at once, a thread for each
// board with its own port, client and clock. The boards share nothing but the program (read
// only) and the progress meter, so a board that fails never holds up the others.

#include <functional>
#include <string>
#include <vector>

#include "firmware/board_load.h"
#include "serial/clock.h"
#include "serial/serial_device.h"

namespace endcap {

// Where the boards report their progress, each from its own thread.
class GangProgress {
public:
  virtual ~GangProgress() = default;
  // Board's progress: sent of pieces, lines sent, unanswered so far.
  virtual void Show(size_t board, int sent, int pieces, int lines, int unanswered) = 0;
};

struct GangBoard {
  int com = 0;
  std::string device;  // the path COM com is mapped to, as the table names it
  PortProvider* devices = nullptr;
  Clock* clock = nullptr;
};

// Loads every board at once and returns when all have ended, their results in the boards' order.
// stop is asked by every board before it opens its port and before each line.
std::vector<BoardLoad> LoadGang(const std::vector<GangBoard>& boards, const std::string& program,
                                GangProgress& progress, const std::function<bool()>& stop);

// Loaded: every line was sent and answered.
bool BoardLoaded(const BoardLoad& board);
// "loaded", or "not loaded: " and why.
std::string BoardVerdict(const BoardLoad& board);
// One row per board under a header: COM, device, unit serial read before the load (or "no
// answer"), lines sent, lines unanswered, verdict; columns aligned.
std::string GangTable(const std::vector<GangBoard>& boards, const std::vector<BoardLoad>& loads);

}  // namespace endcap
