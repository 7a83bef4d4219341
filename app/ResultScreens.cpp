#include "ResultScreens.h"

#include <SDL.h>

#include <cstring>

#include "FrameLoop.h"
#include "model/MoveByte.h"
#include "render/Draw.h"

void showBoardUntilSpace(const BoardState& board, const Camera& camera, const char* text) {
  const double length = static_cast<double>(std::strlen(text));
  const auto space = []() -> std::optional<bool> {
    if (keyPressed(SDLK_SPACE, 1)) return true;
    return std::nullopt;
  };
  const auto noKeys = []() -> std::optional<bool> { return std::nullopt; };
  runFrames<bool>(camera, space, noKeys, [&] {
    drawBoard(board);
    beginText();
    drawLabel(text, {-4, 6, 0}, {0.8 * length, 0, 0}, {0, 1, 0});
    endText();
  });
}

void replaySolution(BoardState initialBoard, const BoardState& solution, const Camera& camera) {
  BoardState& board = initialBoard;
  for (uint8_t move : solution.moveLog()) {
    showBoardUntilSpace(board, camera, "Appuyez sur espace.");
    const MoveStep step = decodeMove(move);
    Piece moved = board.pieceAt(step.pieceIndex);
    moved.setX(static_cast<int8_t>(moved.x() + step.dx));
    moved.setY(static_cast<int8_t>(moved.y() + step.dy));
    board.placePiece(moved, step.pieceIndex);
  }
  showBoardUntilSpace(board, camera, "Fini !!");
}

void showFailure(const BoardState& board, const Camera& camera) {
  showBoardUntilSpace(board, camera, "Echec : Impossible.");
}

void showMemoryFailure(const BoardState& board, const Camera& camera) {
  showBoardUntilSpace(board, camera, "Echec : m\xe9moire.");
}

void showResult(const BoardState& initialBoard, const SolveResult& result, const Camera& camera) {
  switch (result.outcome) {
    case SolveOutcome::solved:
      replaySolution(initialBoard, result.solution, camera);
      return;
    case SolveOutcome::outOfMemory:
    case SolveOutcome::spillFailed:
      showMemoryFailure(initialBoard, camera);
      return;
    case SolveOutcome::noSolution:
      showFailure(initialBoard, camera);
      return;
    case SolveOutcome::stopped:
      // Stopped by the person, who goes back to the editor: nothing failed.
      return;
  }
}
