#include "firmware/board_load.h"

#include "protocol/register_map.h"
#include "protocol/register_values.h"

namespace endcap {

namespace {

// As long as the connection handshake waits for a unit.
constexpr int kSerialReadTimeoutSeconds = 2;

}  // namespace

void LoadBoard(UnitClient& client, int portNumber, const std::string& program, LoadProgressView& progress,
               BoardLoad& board, const std::function<bool()>& stop) {
  board.load.outcome = LoadOutcome::NotConnected;
  if (stop && stop()) {
    board.load.stopped = true;
    return;
  }
  board.opened = client.port().OpenOnPort(portNumber);
  if (!board.opened) {
    board.portError = client.port().lastError();
    return;
  }
  uint16_t serial[2] = {};
  board.answered = client.ReadInputRegisters(reg::kUnitSerial, 2, serial, kSerialReadTimeoutSeconds);
  if (!board.answered) {
    if (client.lastReply().error != modbus::ReplyError::NoReply) board.readFault = client.DescribeLastReply();
    return;
  }
  board.unitSerial = SerialFromRegisters(serial[0], serial[1]);
  SendProgram(client, program, progress, board.load, stop);
}

}  // namespace endcap
