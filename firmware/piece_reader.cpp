#include "firmware/piece_reader.h"

namespace endcap {

PieceReader::~PieceReader() {
  if (file_) std::fclose(file_);
}

bool PieceReader::Open(const std::string& path) {
  if (file_) std::fclose(file_);
  file_ = std::fopen(path.c_str(), "rb");
  return file_ != nullptr;
}

int PieceReader::Get() {
  const int c = std::fgetc(file_);
  if (c != '\r') return c;
  const int next = std::fgetc(file_);
  if (next == '\n') return '\n';
  if (next != EOF) std::ungetc(next, file_);
  return c;
}

bool PieceReader::Next(std::string& piece) {
  piece.clear();
  if (!file_) return false;
  while (piece.size() < kMaxPieceLength) {
    const int c = Get();
    if (c == EOF) break;
    piece.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return !piece.empty();
}

bool PieceReader::AtEnd() {
  if (!file_) return true;
  const int c = std::fgetc(file_);
  if (c == EOF) return true;
  std::ungetc(c, file_);
  return false;
}

int CountPieces(const std::string& path) {
  PieceReader reader;
  if (!reader.Open(path)) return -1;
  int count = 0;
  std::string piece;
  while (reader.Next(piece)) ++count;
  return count;
}

}  // namespace endcap
