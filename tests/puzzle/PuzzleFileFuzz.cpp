// libFuzzer target: the puzzle file reader must take any bytes without a
// fault; whatever it accepts must be a board the search can take, and must
// read back the same from the text the writer makes of it.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "model/MoveByte.h"
#include "puzzle/PuzzleFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PuzzleError error;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::optional<BoardState> board = parsePuzzle(text, error);
  if (!board) {
    if (error.message.empty() || error.line < 0) std::abort();
    return 0;
  }
  if (!board->size.isValid()) std::abort();
  if (board->pieceCount() < 1 || board->pieceCount() > maxLoggedPieces) std::abort();
  if (board->pieces[0].shapeIndex() != 0) std::abort();
  for (int i = 0; i < board->pieceCount(); ++i) {
    if (!board->canPlace(board->pieces[i], i)) std::abort();
  }
  const std::optional<BoardState> again = parsePuzzle(formatPuzzle(*board), error);
  if (!again || again->size != board->size || again->pieceCount() != board->pieceCount()) {
    std::abort();
  }
  for (int i = 0; i < board->pieceCount(); ++i) {
    const Piece& a = board->pieces[i];
    const Piece& b = again->pieces[i];
    if (a.shapeIndex() != b.shapeIndex() || a.x() != b.x() || a.y() != b.y()) std::abort();
  }
  return 0;
}
