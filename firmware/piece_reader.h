#pragma once
// A program file read the way the loader sends it: in pieces of at most 49 characters, each
// read stopping after a line feed, so that a line longer than 49 characters goes out as several
// pieces and only its last piece ends in the line feed. The file is read in text mode: CR LF
// comes back as one line feed.

#include <cstddef>
#include <cstdio>
#include <string>

namespace endcap {

constexpr size_t kMaxPieceLength = 49;

class PieceReader {
public:
  PieceReader() = default;
  ~PieceReader();
  PieceReader(const PieceReader&) = delete;
  PieceReader& operator=(const PieceReader&) = delete;

  bool Open(const std::string& path);
  // The next piece; false at the end of the file.
  bool Next(std::string& piece);
  // True when no character is left.
  bool AtEnd();

private:
  // The next character in text mode; EOF at the end.
  int Get();

  std::FILE* file_ = nullptr;
};

// The number of pieces in the file; -1 when it cannot be opened.
int CountPieces(const std::string& path);

}  // namespace endcap
