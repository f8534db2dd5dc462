#pragma once
// Writing one line of a text file so that it lands whole or not at all: a file never holds
// half a line that the next line would be glued onto.

#include <string>

namespace endcap {

// Writes line (which carries its own line end) at the end of the file at path, or as the
// file's whole content when create is set (the file is made or truncated). The file is opened
// and closed for this line alone. On a short write the file is cut back to its length before
// the write. False when the line is not in the file.
bool WriteWholeLine(const std::string& path, const std::string& line, bool create);

}  // namespace endcap
