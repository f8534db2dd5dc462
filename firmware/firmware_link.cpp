// The unit object's two firmware operations: the choice of the program file and the text
// exchange of one piece of it with the board's boot loader.

#include <cstdio>
#include <vector>

#include "unit/modbus_link.h"

namespace endcap {

namespace {

// The boot loader's answer is kept in a buffer of this size; longer answers are cut.
constexpr size_t kHexLineBufferSize = 100;

}  // namespace

bool ModbusLink::ChooseFirmwareFile() {
  static const std::vector<FileFilter> kFilters = {{"BootCode (*.hex)", "*.hex"}, {"All (*.*)", "*.*"}};
  firmwarePath = op_.ChooseOpenFile(firmwareFolder, kFilters);
  return !firmwarePath.empty();
}

bool ModbusLink::SendHexLine(const char* piece, int timeoutSeconds) {
  if (!port_.Open()) return false;
  char buffer[kHexLineBufferSize];
  std::snprintf(buffer, sizeof buffer, "%s", piece);
  return port_.TransactText(buffer, sizeof buffer, timeoutSeconds);
}

}  // namespace endcap
