#pragma once
// A program stopped by SIGINT, SIGTERM or SIGHUP closes the serial ports it holds before it
// ends, clearing their exclusive mode first: on some terminals that mode outlives the close
// and would refuse every later open by another user. The program then ends by the signal, as
// it would have without this. Each program calls CloseSerialPortsOnSignals once at start;
// a signal the program ignores stays ignored, and a handler installed later replaces this one.
//
// While a procedure runs, a stop signal is held instead: ending there would leave the unit
// changed with nothing recorded of the steps it had completed. The signal is only noted; from
// then on the ports refuse every exchange (so nothing more is done to the unit), the
// operator's questions take their safe answers, the procedure ends, what it completed is
// recorded, and the program ends, saying so. A second signal ends the program at once.

namespace endcap {

void CloseSerialPortsOnSignals();

// The termios device tells the handler which descriptors it holds, and whether it made them
// exclusive. Both are safe to call whether or not the handler is installed.
void HoldPortUntilSignal(int fd, bool exclusive);
void ReleasePortHeldUntilSignal(int fd);

// Holds stop signals for as long as it lives; holds do not nest.
class StopSignalHold {
public:
  StopSignalHold();
  ~StopSignalHold();
  StopSignalHold(const StopSignalHold&) = delete;
  StopSignalHold& operator=(const StopSignalHold&) = delete;
};

// For a program's own stop-signal handler (safe to call there): notes the signal, and says
// whether a hold is in force, so that the program must not end yet.
bool NoteStopSignal(int signalNumber);

// The first stop signal noted, 0 while none came.
int NotedStopSignal();

// "SIGINT", "SIGTERM" or "SIGHUP".
const char* StopSignalName(int signalNumber);

}  // namespace endcap
