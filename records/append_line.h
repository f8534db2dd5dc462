#pragma once
// Appending to a file that must only ever gain whole lines (the results record file, the
// calibration sheets): the file is opened for the text and closed again, and the text lands
// whole or not at all.

#include <string>

namespace endcap {

// Appends text (one line or a block of lines, each with its own line end) to the file at path,
// creating the file when it does not exist. When the file system takes only part of it (a full
// disk), the file is cut back to its length before the append, so a later append never lands
// after a fragment. False when the file could not be opened or the text did not land whole;
// then reason, when given, holds the path and the system's reason.
bool AppendWholeLine(const std::string& path, const std::string& text, std::string* reason = nullptr);

}  // namespace endcap
