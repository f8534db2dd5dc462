#pragma once
// The board's own memory kept in a file between runs of the simulator: one "REGISTER VALUE"
// line for each kept register, both decimal, after a comment line.

#include <string>

#include "sim/simulated_unit.h"

namespace endcap::sim {

// False with a reason for an unreadable file or a malformed line; a missing file reads as an
// empty image.
bool ReadStateFile(const std::string& path, MemoryImage& image, std::string& error);
// Writes a new file and renames it over the old one, so a crash never leaves half a memory.
bool WriteStateFile(const std::string& path, const MemoryImage& image, std::string& error);

}  // namespace endcap::sim
