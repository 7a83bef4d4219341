#include "BoardText.h"

#include <algorithm>
#include <cassert>

#include "MoveLogText.h"
#include "model/MoveByte.h"
#include "model/SolutionReplay.h"

const char pieceLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789@$";

namespace {

static_assert(sizeof pieceLetters - 1 == maxLoggedPieces, "one letter per piece a move names");

}  // namespace

std::string formatBoardGrid(const BoardState& board) {
  const BoardSize size = board.size;
  std::string grid(static_cast<size_t>(size.width + 1) * size.height, '.');
  for (int row = 0; row < size.height; ++row) grid[(row + 1) * (size.width + 1) - 1] = '\n';
  const int letters = std::min(board.pieceCount(), maxLoggedPieces);
  for (int i = 0; i < letters; ++i) {
    const Piece& piece = board.pieces[i];
    for (int k = 0; k < piece.cellCount(); ++k) {
      const int x = piece.x() + piece.cells()[2 * k];
      const int y = piece.y() + piece.cells()[2 * k + 1];
      if (!size.contains(x, y)) continue;
      const int row = size.height - 1 - y;
      grid[static_cast<size_t>(row) * (size.width + 1) + x] = pieceLetters[i];
    }
  }
  return grid;
}

std::string formatSolutionBoards(const BoardState& start, const std::vector<uint8_t>& log,
                                 const std::vector<uint16_t>& stepsPerMove) {
  SolutionReplay replay(start, log);
  std::string text = "move 0: start\n" + formatBoardGrid(replay.board()) + "\n";
  size_t first = 0;
  for (size_t move = 0; move < stepsPerMove.size() && first < log.size(); ++move) {
    const size_t steps = std::min<size_t>(stepsPerMove[move], log.size() - first);
    for (size_t k = 0; k < steps; ++k) replay.forward();
    text += "move " + std::to_string(move + 1) + ": " + formatCountedMove(log, first, steps) + "\n";
    text += formatBoardGrid(replay.board()) + "\n";
    first += steps;
  }
  assert(first == log.size());
  return text;
}
