#include "firmware/firmware_loader.h"

#include "firmware/firmware_link.h"
#include "firmware/program_pieces.h"
#include "protocol/register_map.h"
#include "serial/text_format.h"

namespace endcap {

namespace {

constexpr int kSwitchTimeoutSeconds = 1;
constexpr int kPieceTimeoutSeconds = 1;

}  // namespace

std::string RefusalText(const std::string& path, const HexFileCheck& check) {
  const char* what = check.readable ? "is not a hex-record program file" : "cannot be read";
  return Format("%s %s\r\n%s\r\nNothing was sent to the unit", path.c_str(), what, WhereAndWhy(check).c_str());
}

void SendProgram(UnitClient& client, const std::string& program, LoadProgressView& progress, LoadResult& result,
                 const std::function<bool()>& stop) {
  if (!client.Unlock()) {
    result.outcome = LoadOutcome::UnlockFailed;
    return;
  }
  // A unit that answers this function has not switched to its boot loader.
  if (client.SendControlFunction(0, reg::kBootLoaderFunction, kSwitchTimeoutSeconds)) {
    result.outcome = LoadOutcome::NotSwitched;
    return;
  }
  // The boot loader speaks no Modbus: any frame with a good CRC (an exception above all) comes
  // from the program, which is still running and would take the lines that follow for noise.
  if (client.lastReply().crcGood()) {
    const std::string why = client.DescribeLastReply();
    result.outcome = LoadOutcome::SwitchRefused;
    result.switchReply = why.empty() ? "an unexpected reply" : why;
    return;
  }
  const std::vector<std::string> pieces = ProgramPieces(program);
  result.pieces = static_cast<int>(pieces.size());
  progress.SetProgressRange(0, result.pieces);
  progress.SetProgressPosition(0);
  progress.ShowProgress(true);
  result.outcome = LoadOutcome::Sent;
  bool lineStart = true;
  for (const std::string& piece : pieces) {
    if (lineStart && stop && stop()) {
      result.stopped = true;
      return;
    }
    const bool answered = SendHexLine(client, piece.c_str(), kPieceTimeoutSeconds);
    // Only a piece that ends its line is answered.
    lineStart = piece.back() == '\n';
    // A stop cuts the exchange in flight short: whether that line went out is not known, so it
    // is not counted.
    if (lineStart && !answered && stop && stop()) {
      result.stopped = true;
      return;
    }
    if (lineStart) {
      ++result.lines;
      if (!answered) ++result.unanswered;
    }
    ++result.sent;
    progress.SetProgressPosition(result.sent);
  }
}

LoadResult LoadFirmware(UnitClient& client, OperatorInterface& op, const std::string& firmwareFolder,
                        LoadProgressView& progress) {
  LoadResult result;
  result.path = ChooseFirmwareFile(op, firmwareFolder);
  if (result.path.empty()) return result;
  const std::string& path = result.path;
  std::string program;
  result.check = ReadHexFile(path, program);
  if (!result.check.valid) {
    result.outcome = LoadOutcome::Refused;
    op.ShowMessage(WindowBox(RefusalText(path, result.check)));
    return result;
  }
  SendProgram(client, program, progress, result);
  if (result.outcome == LoadOutcome::SwitchRefused)
    op.ShowMessage(WindowBox(Format("The unit answered the switch to its boot loader (%s)\r\n"
                                    "It still runs its program; no line was sent",
                                    result.switchReply.c_str())));
  if (result.outcome != LoadOutcome::Sent) return result;
  if (result.unanswered > 0)
    op.ShowMessage(WindowBox(Format("%d of %d lines got no answer from the boot loader!!\r\n"
                                    "The new program may not have loaded",
                                    result.unanswered, result.lines)));
  op.ShowMessage(WindowBox(kCyclePowerText));
  progress.ShowProgress(false);
  return result;
}

}  // namespace endcap
