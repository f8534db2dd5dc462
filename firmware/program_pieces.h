#pragma once
// A program file as the loader sends it: in pieces of at most 49 characters, each piece
// stopping after a line feed, so that a line longer than 49 characters goes out as several
// pieces and only its last piece ends in the line feed. The file is taken in text mode: CR LF
// counts as one line feed.

#include <cstddef>
#include <string>
#include <vector>

namespace endcap {

constexpr size_t kMaxPieceLength = 49;

// The pieces of the program text, in order. The boot loader answers a line only at its line
// feed, so a last line without one is given one.
std::vector<std::string> ProgramPieces(const std::string& program);

}  // namespace endcap
