#pragma once
// The board's own memory kept in a file between runs of the simulator: a comment line, one
// "REGISTER VALUE" line for each kept register, both decimal, and an end line "end N" with the
// count of register lines, so that a file cut short is never taken for a whole memory.

#include <string>

#include "sim/simulated_unit.h"

namespace endcap::sim {

// False with the file, the line and the reason for a file that cannot be read, is not a
// regular file, holds a malformed line or lacks its end line. A missing file reads as an empty
// image.
bool ReadStateFile(const std::string& path, MemoryImage& image, std::string& error);
// Whether the memory can be saved at path: a missing file can be created beside it, an existing
// one is writable (a read-only file is refused, not replaced). Checked at start, so that no
// write is acknowledged that a restart would lose.
bool CheckStateFileWritable(const std::string& path, std::string& error);
// Writes a new file beside the old one and renames it over it, keeping the old file's mode, so
// that a crash never leaves half a memory; a failed write leaves no new file behind.
bool WriteStateFile(const std::string& path, const MemoryImage& image, std::string& error);

}  // namespace endcap::sim
