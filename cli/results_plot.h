#pragma once
// results SERIAL --plot FILE: the charts of the unit's newest stored inclinometer and
// strain-gauge checks, as the window draws them, into an image file. No unit is needed.

#include <string>

#include "cli/cli_session.h"

namespace endcap {

// Status 1 and no file when the store cannot be read or holds no check of the unit.
int PlotResults(CliSession& session, const std::string& serial, const std::string& file);

}  // namespace endcap
