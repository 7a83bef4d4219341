#include "PlacementEditor.h"

#include <GL/gl.h>
#include <SDL.h>

#include "ScreenFrame.h"
#include "input/KeyLatch.h"
#include "model/BoardSize.h"
#include "model/MoveByte.h"
#include "render/Draw.h"
#include "render/Video.h"

namespace {

constexpr int lastShape = shapeCount - 1;

struct Cursor {
  int shapeIndex = 0;
  Piece piece{0};
  int x = 0;
  int y = 0;

  void reset(int shape) {
    shapeIndex = shape;
    piece = Piece(shape);
    x = 0;
    y = 0;
  }
};

// O and P cycle through the shapes once the square stands.
void handleShapeKeys(Cursor& cursor, int placedCount) {
  if (keyPressed(SDLK_o, 1) && placedCount > 0) {
    cursor.reset(cursor.shapeIndex == lastShape ? 0 : cursor.shapeIndex + 1);
  }
  if (keyPressed(SDLK_p, 1) && placedCount > 0) {
    cursor.reset(cursor.shapeIndex == 0 ? lastShape : cursor.shapeIndex - 1);
  }
}

// The arrows keep every cell of the cursor piece on the board.
void handleArrowKeys(Cursor& cursor) {
  const int maxDx = cursor.piece.maxDx();
  const int maxDy = cursor.piece.maxDy();
  if (keyPressed(SDLK_RIGHT, 1) && cursor.x < boardWidth - maxDx - 1) ++cursor.x;
  if (keyPressed(SDLK_LEFT, 1) && cursor.x > 0) --cursor.x;
  if (keyPressed(SDLK_UP, 1) && cursor.y < boardHeight - maxDy - 1) ++cursor.y;
  if (keyPressed(SDLK_DOWN, 1) && cursor.y > 0) --cursor.y;
}

// Space places the cursor piece where the last frame showed it.
void handleSpace(Cursor& cursor, BoardState& board, MessageOverlay& overlay) {
  if (!keyPressed(SDLK_SPACE, 1)) return;
  if (board.pieceCount() >= maxLoggedPieces) {
    overlay.addMessage({-5, 6, 0}, 2000, "64 pieces au maximum !");
    return;
  }
  if (!board.canPlace(cursor.piece, -1)) {
    overlay.addMessage({-5, 6, 0}, 2000, "Une piece est d\xe9ja pr\xe9sente !");
    return;
  }
  board.placePiece(cursor.piece, -1);
  cursor.reset(cursor.shapeIndex);
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

int runPlacementEditor(Camera& camera, BoardState& board, MessageOverlay& overlay) {
  Cursor cursor;
  startScreen();
  while (!keyPressed(SDLK_ESCAPE, 0)) {
    glDisable(GL_TEXTURE_2D);
    pumpEvents();
    camera.applyView();
    handleShapeKeys(cursor, board.pieceCount());
    handleArrowKeys(cursor);
    handleSpace(cursor, board, overlay);
    // The search needs the square: Return waits for the first piece.
    if (keyPressed(SDLK_RETURN, 1) && board.pieceCount() > 0) return 0;
    cursor.piece.setX(static_cast<int8_t>(cursor.x));
    cursor.piece.setY(static_cast<int8_t>(cursor.y));

    drawPieceAt(cursor.piece, {-4, 0, 0}, 1.0f);
    drawBoard(board);
    drawPiece(cursor.piece, 0.5f);
    beginText();
    drawPhaseTexts(board.pieceCount());
    overlay.drawMessages();
    endText();
    SDL_Delay(1);
    presentFrame();
  }
  return -1;
}
