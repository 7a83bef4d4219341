// libFuzzer target: the puzzle file reader must take any bytes without a
// fault, and whatever it accepts must be a board the search can take.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/BoardSize.h"
#include "model/MoveByte.h"
#include "tools/PuzzleFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BoardState board;
  PuzzleError error;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!parsePuzzle(text, board, error)) {
    if (error.message.empty() || error.line < 0) std::abort();
    return 0;
  }
  if (boardWidth < minBoardWidth || boardWidth > maxBoardWidth) std::abort();
  if (boardHeight < minBoardHeight || boardHeight > maxBoardHeight) std::abort();
  if (board.pieceCount() < 1 || board.pieceCount() > maxLoggedPieces) std::abort();
  if (board.pieces[0].shapeIndex() != 0) std::abort();
  for (int i = 0; i < board.pieceCount(); ++i) {
    if (!board.canPlace(board.pieces[i], i)) std::abort();
  }
  return 0;
}
