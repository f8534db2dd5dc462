#include "firmware/program_pieces.h"

namespace endcap {

std::vector<std::string> ProgramPieces(const std::string& program) {
  std::string text = program;
  if (!text.empty() && text.back() != '\n') text += '\n';
  std::vector<std::string> pieces;
  std::string piece;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    piece.push_back(c);
    if (c == '\n' || piece.size() == kMaxPieceLength) {
      pieces.push_back(piece);
      piece.clear();
    }
  }
  return pieces;
}

}  // namespace endcap
