#include "cli/gang_bootload.h"

#include <algorithm>
#include <thread>

#include "serial/serial_port.h"
#include "serial/text_format.h"

namespace endcap {

namespace {

// One board's load as the gang meter shows it.
class BoardProgress : public LoadProgressView {
public:
  BoardProgress(GangProgress& gang, size_t board, const LoadResult& load) : gang_(gang), board_(board), load_(load) {}
  void SetProgressRange(int, int) override {}
  void SetProgressPosition(int position) override {
    gang_.Show(board_, position, load_.pieces, load_.lines, load_.unanswered);
  }
  void ShowProgress(bool) override {}

private:
  GangProgress& gang_;
  size_t board_;
  const LoadResult& load_;
};

void LoadOne(const GangBoard& board, size_t index, const std::string& program, GangProgress& gang,
             const std::function<bool()>& stop, BoardLoad& result) {
  SerialPort port(*board.devices, *board.clock);
  UnitClient client(port);
  BoardProgress progress(gang, index, result.load);
  LoadBoard(client, board.com, program, progress, result, stop);
}

}  // namespace

std::vector<BoardLoad> LoadGang(const std::vector<GangBoard>& boards, const std::string& program,
                                GangProgress& progress, const std::function<bool()>& stop) {
  std::vector<BoardLoad> loads(boards.size());
  std::vector<std::thread> threads;
  for (size_t i = 0; i < boards.size(); ++i)
    threads.emplace_back(LoadOne, std::cref(boards[i]), i, std::cref(program), std::ref(progress), std::cref(stop),
                         std::ref(loads[i]));
  for (std::thread& thread : threads) thread.join();
  return loads;
}

bool BoardLoaded(const BoardLoad& board) {
  return board.load.outcome == LoadOutcome::Sent && !board.load.stopped && board.load.unanswered == 0;
}

std::string BoardVerdict(const BoardLoad& board) {
  const LoadResult& load = board.load;
  std::string why;
  if (load.stopped)
    why = "stopped";
  else if (!board.opened && board.portError.code == SerialErrorCode::Busy)
    why = "port busy (" + board.portError.reason + ")";
  else if (!board.opened)
    why = "port not opened (" + board.portError.reason + ")";
  else if (!board.answered)
    why = board.readFault.empty() ? "no answer" : "unit serial not read (" + board.readFault + ")";
  else if (load.outcome == LoadOutcome::UnlockFailed)
    why = "the unlock (function 65) was not taken";
  else if (load.outcome == LoadOutcome::NotSwitched)
    why = "stayed in its program";
  else if (load.outcome == LoadOutcome::SwitchRefused)
    why = "stayed in its program (" + load.switchReply + ")";
  else if (load.unanswered > 0)
    why = Format("%d lines unanswered", load.unanswered);
  return why.empty() ? "loaded" : "not loaded: " + why;
}

std::string GangTable(const std::vector<GangBoard>& boards, const std::vector<BoardLoad>& loads) {
  std::vector<std::vector<std::string>> rows = {{"COM", "device", "unit serial", "lines", "unanswered", "verdict"}};
  for (size_t i = 0; i < boards.size(); ++i) {
    const BoardLoad& board = loads[i];
    rows.push_back({Format("COM%d", boards[i].com), boards[i].device, board.answered ? board.unitSerial : "no answer",
                    std::to_string(board.load.lines), std::to_string(board.load.unanswered), BoardVerdict(board)});
  }
  std::vector<size_t> widths(rows.front().size(), 0);
  for (const auto& row : rows)
    for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  std::string table;
  for (const auto& row : rows) {
    for (size_t c = 0; c + 1 < row.size(); ++c) {
      // The counts stand right-aligned under their headings.
      const bool count = c == 3 || c == 4;
      const std::string pad(widths[c] - row[c].size(), ' ');
      table += (count ? pad + row[c] : row[c] + pad) + "  ";
    }
    table += row.back() + "\n";
  }
  return table;
}

}  // namespace endcap
