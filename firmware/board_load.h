#pragma once
// One board of a gang, loaded on its own port with nothing from the others: the port opened,
// the unit's serial read (the unit answers in Modbus, and the table can name it), then the
// program sent exactly as a single load sends it.

#include <functional>
#include <string>

#include "firmware/firmware_loader.h"
#include "serial/serial_error.h"
#include "unit/unit_client.h"

namespace endcap {

struct BoardLoad {
  bool opened = false;
  SerialError portError;    // why the port did not open
  bool answered = false;    // the serial read got a good reply
  std::string unitSerial;   // as read before the load
  std::string readFault;    // not answered, but something came: what ("bad CRC", "exception code 4")
  LoadResult load;          // NotConnected until the program is sent
};

// Opens portNumber on the client's port, reads the unit serial and sends the checked program.
// board fills in as the load goes, for the progress view to read. stop is asked before the port
// opens and before each line (see SendProgram).
void LoadBoard(UnitClient& client, int portNumber, const std::string& program, LoadProgressView& progress,
               BoardLoad& board, const std::function<bool()>& stop);

}  // namespace endcap
