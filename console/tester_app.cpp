#include "console/tester_app.h"

namespace endcap {

namespace {

constexpr const char* kTitleName = "Remote inclinometer calibrate V";
constexpr const char* kVersionMajor = "1";
constexpr const char* kVersionMinor = "000";
constexpr const char* kVersionBuild = "007";
constexpr const char* kEdition = " Offshore Version";

constexpr const char* kCompanyFolder = "C:\\Quorvanta";
constexpr const char* kStatusFolder = "C:\\Quorvanta\\D5Status";

}  // namespace

TesterApp::TesterApp(SerialPort& port, OperatorInterface& op, const DriveMap& drives,
                     const std::string& resultsStorePath)
    : client(port), op_(op), drives_(drives) {
  settings.records.resultsStorePath = resultsStorePath;
}

std::string TesterApp::WindowTitle() {
  return std::string(kTitleName) + kVersionMajor + "." + kVersionMinor + "." + kVersionBuild + kEdition;
}

void TesterApp::CreateStatusFolders() {
  MakeDirectories(drives_.Resolve(kCompanyFolder));
  settings.records.recordFolder = drives_.Resolve(kStatusFolder);
  MakeDirectories(settings.records.recordFolder);
}

}  // namespace endcap
