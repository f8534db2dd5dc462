#include "firmware/firmware_loader.h"

#include "firmware/piece_reader.h"
#include "unit/register_map.h"
#include "unit/text_format.h"

namespace endcap {

namespace {

constexpr int kSwitchTimeoutSeconds = 1;
constexpr int kPieceTimeoutSeconds = 1;

}  // namespace

std::string RefusalText(const std::string& path, const HexFileCheck& check) {
  const std::string where = check.line > 0 ? Format("line %d: ", check.line) : "";
  const char* what = check.readable ? "is not a hex-record program file" : "cannot be read";
  return Format("%s %s\r\n%s%s\r\nNothing was sent to the unit", path.c_str(), what, where.c_str(),
                check.reason.c_str());
}

LoadResult LoadFirmware(ModbusLink& link, LoadProgressView& progress) {
  LoadResult result;
  if (!link.ChooseFirmwareFile()) return result;
  const std::string path = link.firmwarePath;
  result.check = CheckHexFile(path);
  if (!result.check.valid) {
    result.outcome = LoadOutcome::Refused;
    link.op().ShowMessage(WindowBox(RefusalText(path, result.check)));
    return result;
  }
  if (!link.Unlock()) {
    result.outcome = LoadOutcome::UnlockFailed;
    return result;
  }
  // A unit that answers this function has not switched to its boot loader.
  if (link.SendControlFunction(0, reg::kBootLoaderFunction, kSwitchTimeoutSeconds)) {
    result.outcome = LoadOutcome::NotSwitched;
    return result;
  }
  result.outcome = LoadOutcome::NotOpened;
  result.pieces = CountPieces(path);
  if (result.pieces < 0) return result;
  progress.SetProgressRange(0, result.pieces);
  progress.SetProgressPosition(0);
  progress.ShowProgress(true);
  PieceReader reader;
  if (!reader.Open(path)) return result;
  result.outcome = LoadOutcome::Sent;
  std::string piece;
  while (reader.Next(piece)) {
    const bool answered = link.SendHexLine(piece.c_str(), kPieceTimeoutSeconds);
    // Only a piece that ends its line is answered; the file's last line may lack its line feed.
    const bool endsLine = piece.back() == '\n' || reader.AtEnd();
    if (endsLine) {
      ++result.lines;
      if (!answered) ++result.unanswered;
    }
    progress.SetProgressPosition(++result.sent);
  }
  if (result.unanswered > 0)
    link.op().ShowMessage(WindowBox(Format("%d of %d lines got no answer from the boot loader!!\r\n"
                                           "The new program may not have loaded",
                                           result.unanswered, result.lines)));
  link.op().ShowMessage(WindowBox("Cycle the unit power to reset it"));
  progress.ShowProgress(false);
  return result;
}

}  // namespace endcap
