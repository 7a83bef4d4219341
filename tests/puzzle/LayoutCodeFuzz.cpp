// libFuzzer target: the layout code reader must take any text without a
// fault, and whatever it accepts must be a layout whose code is the very
// text read; the code of any layout a puzzle file holds must read back as
// that layout.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "model/MoveByte.h"
#include "puzzle/LayoutCode.h"
#include "puzzle/PuzzleFile.h"

namespace {

bool sameLayout(const BoardState& a, const BoardState& b) {
  if (a.size != b.size || a.pieceCount() != b.pieceCount()) return false;
  for (int i = 0; i < a.pieceCount(); ++i) {
    const Piece& p = a.pieces[i];
    const Piece& q = b.pieces[i];
    if (p.shapeIndex() != q.shapeIndex() || p.x() != q.x() || p.y() != q.y()) return false;
  }
  return true;
}

void readCode(const std::string& code) {
  LayoutCodeError error;
  const std::optional<BoardState> board = decodeLayout(code, error);
  if (!board) {
    if (formatLayoutCodeError(code, error).empty()) std::abort();
    return;
  }
  if (!board->size.isValid() || board->pieceCount() < 1 || board->pieceCount() > maxLoggedPieces) {
    std::abort();
  }
  if (board->pieces[0].shapeIndex() != 0) std::abort();
  for (int i = 0; i < board->pieceCount(); ++i) {
    if (!board->canPlace(board->pieces[i], i)) std::abort();
  }
  if (layoutCode(*board) != code) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // As it comes, and as the body of a code.
  readCode(text);
  readCode("cavel:" + text);
  PuzzleError error;
  const std::optional<BoardState> board = parsePuzzle(text, error);
  if (!board) return 0;
  LayoutCodeError codeError;
  const std::optional<BoardState> back = decodeLayout(layoutCode(*board), codeError);
  if (!back || !sameLayout(*back, *board)) std::abort();
  return 0;
}
