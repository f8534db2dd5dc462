#pragma once
// A program stopped by SIGINT, SIGTERM or SIGHUP closes the serial ports it holds before it
// ends, clearing their exclusive mode first: on some terminals that mode outlives the close
// and would refuse every later open by another user. The program then ends by the signal, as
// it would have without this. Each program calls CloseSerialPortsOnSignals once at start;
// a signal the program ignores stays ignored, and a handler installed later replaces this one.

namespace endcap {

void CloseSerialPortsOnSignals();

// The termios device tells the handler which descriptors it holds, and whether it made them
// exclusive. Both are safe to call whether or not the handler is installed.
void HoldPortUntilSignal(int fd, bool exclusive);
void ReleasePortHeldUntilSignal(int fd);

}  // namespace endcap
