#pragma once
// Appending one line to a file that must only ever gain whole lines (the results record file,
// the calibration sheets): the file is opened for the line and closed again, and the line
// lands whole or not at all.

#include <string>

namespace endcap {

// Appends text (which carries its own line end) to the file at path, creating the file when
// it does not exist. The line goes out in one write; when the file system takes only part of
// it (a full disk), the file is cut back to its length before the write. False when the file
// could not be opened or the line did not land whole.
bool AppendWholeLine(const std::string& path, const std::string& text);

}  // namespace endcap
