#pragma once
// Loading a new program into the board: the operator picks a program file, the file is checked,
// the board is switched from Modbus to its boot loader, and the file goes out piece by piece as
// text, each piece waiting up to a second for the boot loader's answer, with the progress bar
// counting pieces. The operator is then told to cycle the unit's power.

#include <functional>
#include <string>

#include "firmware/hex_file_check.h"
#include "operator/operator_interface.h"
#include "unit/unit_client.h"

namespace endcap {

// The main window's progress bar as the loader drives it.
class LoadProgressView {
public:
  virtual ~LoadProgressView() = default;
  virtual void SetProgressRange(int lower, int upper) = 0;
  virtual void SetProgressPosition(int position) = 0;
  virtual void ShowProgress(bool shown) = 0;
};

enum class LoadOutcome {
  NoFile,         // the operator picked no file
  NotConnected,   // the handshake before the choice got no answer, or the port is gone
  Refused,        // the file is not a program file (check says why); the board was not touched
  UnlockFailed,   // the unit did not take the access code
  NotSwitched,    // the unit answered the boot-loader function, so it still runs its program
  SwitchRefused,  // the unit answered that function otherwise in Modbus (switchReply): not switched
  Sent,           // every piece went out
};

// What the operator is told once the sending has started.
inline constexpr const char* kCyclePowerText = "Cycle the unit power to reset it";

struct LoadResult {
  LoadOutcome outcome = LoadOutcome::NoFile;
  std::string path;         // the program file picked; empty when none was
  HexFileCheck check;
  std::string switchReply;  // SwitchRefused: what the unit answered ("exception code 4")
  int pieces = 0;           // counted, the progress bar's range
  int sent = 0;
  int lines = 0;            // lines sent: pieces that end a line
  int unanswered = 0;       // lines whose last piece got no answer
  bool stopped = false;     // a stop came between two lines: the rest was not sent
};

// Everything of the Bootload command after the connection check: the file choice, the reading
// and check of the file, the switch, the count, the sending and the final messages. The unit
// view is the caller's to refresh once the sending has started. The file is offered from
// firmwareFolder.
LoadResult LoadFirmware(UnitClient& client, OperatorInterface& op, const std::string& firmwareFolder,
                        LoadProgressView& progress);

// The switch and the sending, which need no window: unlock, function 70 unless it is answered,
// then every piece of the checked program, each waiting for its answer, the progress view
// counting pieces. The outcome and the counts land in result as each piece goes, so a progress
// view may read them. stop, when given, is asked before each line and after an exchange that
// failed; once it answers true no further line is sent and result.stopped is set, so the board
// only ever gets whole lines.
void SendProgram(UnitClient& client, const std::string& program, LoadProgressView& progress, LoadResult& result,
                 const std::function<bool()>& stop = nullptr);

// The refusal box's text for a file that failed its check.
std::string RefusalText(const std::string& path, const HexFileCheck& check);

}  // namespace endcap
