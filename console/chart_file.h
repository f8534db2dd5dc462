#pragma once
// The charts of a unit's checks as an image file, drawn without a display: PNG or SVG by the
// file's extension, the charts one below the other.

#include <string>
#include <vector>

#include "records/check_chart.h"

namespace endcap {

// False with the reason in error when the file cannot be made (an unknown extension, a folder
// that cannot be written).
bool WriteCheckChartsFile(const std::vector<CheckChart>& charts, const std::string& path, std::string& error);

}  // namespace endcap
