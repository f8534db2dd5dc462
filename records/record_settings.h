#pragma once
// The station's settings that the record operations need: where the results go and who is
// recording them. The application owns them and passes them in.

#include <string>

namespace endcap {

struct RecordSettings {
  std::string recordFolder;      // the status folder on this machine ("C:\Quorvanta\D5Status")
  std::string resultsStorePath;  // the results store; empty: the one in the status folder
  std::string operatorId;        // two or three upper-case letters
  bool operatorKnown = false;
};

}  // namespace endcap
