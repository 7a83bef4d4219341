#include "PlacementEditor.h"

#include <SDL.h>

#include "FrameLoop.h"
#include "model/EditorRules.h"
#include "render/Draw.h"

namespace {

void handleCursorKeys(EditorCursor& cursor, const BoardState& board) {
  if (keyPressed(SDLK_o, 1)) cycleShape(cursor, board, +1);
  if (keyPressed(SDLK_p, 1)) cycleShape(cursor, board, -1);
  if (keyPressed(SDLK_RIGHT, 1)) moveCursor(cursor, CursorStep::right, board.size);
  if (keyPressed(SDLK_LEFT, 1)) moveCursor(cursor, CursorStep::left, board.size);
  if (keyPressed(SDLK_UP, 1)) moveCursor(cursor, CursorStep::up, board.size);
  if (keyPressed(SDLK_DOWN, 1)) moveCursor(cursor, CursorStep::down, board.size);
}

// Space places the cursor piece where it stood before this pump's arrows.
void handleSpace(EditorCursor& cursor, BoardState& board, MessageOverlay& overlay) {
  if (!keyPressed(SDLK_SPACE, 1)) return;
  switch (placeCursor(cursor, board)) {
    case Placement::placed:
      break;
    case Placement::occupied:
      overlay.addMessage({-5, 6, 0}, 2000, "Une piece est d\xe9ja pr\xe9sente !");
      break;
    case Placement::full:
      overlay.addMessage({-5, 6, 0}, 2000, "64 pieces au maximum !");
      break;
  }
}

void drawPhaseTexts(int placedCount) {
  if (placedCount == 0) {
    drawLabel("Placez la piece a sortir...", {-5, 8, 0}, {15, 0, 0}, {0, 1, 0});
    drawLabel("Fleches et espace...", {-5, 7, 0}, {15, 0, 0}, {0, 1, 0});
    return;
  }
  drawLabel("Placez les autres pieces...", {-5, 8, 0}, {15, 0, 0}, {0, 1, 0});
  drawLabel("O & P pour changer, Return pour finir...", {-5, 7, 0}, {15, 0, 0}, {0, 0.8, 0});
}

}  // namespace

bool runPlacementEditor(const Camera& camera, BoardState& board, MessageOverlay& overlay) {
  EditorCursor cursor = startingCursor(board);
  const auto escape = []() -> std::optional<bool> {
    if (keyPressed(SDLK_ESCAPE, 0)) return false;
    return std::nullopt;
  };
  const auto keys = [&]() -> std::optional<bool> {
    handleCursorKeys(cursor, board);
    handleSpace(cursor, board, overlay);
    if (keyPressed(SDLK_RETURN, 1) && canSearch(board)) return true;
    settleCursor(cursor);
    return std::nullopt;
  };
  return runFrames<bool>(camera, escape, keys, [&] {
    drawPieceAt(cursor.piece, {-4, 0, 0}, 1.0f);
    drawBoard(board);
    drawPiece(cursor.piece, 0.5f);
    beginText();
    drawPhaseTexts(board.pieceCount());
    overlay.drawMessages();
    endText();
  });
}
