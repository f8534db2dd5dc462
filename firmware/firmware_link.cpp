#include "firmware/firmware_link.h"

#include <cstdio>
#include <vector>

namespace endcap {

namespace {

// The boot loader's answer is kept in a buffer of this size; longer answers are cut.
constexpr size_t kHexLineBufferSize = 100;

}  // namespace

std::string ChooseFirmwareFile(OperatorInterface& op, const std::string& folder) {
  static const std::vector<FileFilter> kFilters = {{"BootCode (*.hex)", "*.hex"}, {"All (*.*)", "*.*"}};
  return op.ChooseOpenFile(folder, kFilters);
}

bool SendHexLine(UnitClient& client, const char* piece, int timeoutSeconds) {
  if (!client.port().Open()) return false;
  char buffer[kHexLineBufferSize];
  std::snprintf(buffer, sizeof buffer, "%s", piece);
  return client.port().TransactText(buffer, sizeof buffer, timeoutSeconds);
}

}  // namespace endcap
