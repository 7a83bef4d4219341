#include "ResultScreens.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cstring>

#include "ScreenFrame.h"
#include "input/KeyLatch.h"
#include "model/MoveByte.h"
#include "render/Draw.h"
#include "render/Video.h"

void showBoardUntilSpace(const BoardState& board, Camera& camera, const char* text) {
  if (keyPressed(SDLK_SPACE, 1)) return;
  startScreen();
  const double length = static_cast<double>(std::strlen(text));
  do {
    pumpEvents();
    camera.applyView();
    drawBoard(board);
    beginText();
    drawLabel(text, {-4, 6, 0}, {0.8 * length, 0, 0}, {0, 1, 0});
    endText();
    SDL_Delay(1);
    presentFrame();
  } while (!keyPressed(SDLK_SPACE, 1));
}

void replaySolution(BoardState initialBoard, const BoardState& solution, Camera& camera) {
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

void showFailure(const BoardState& board, Camera& camera) {
  showBoardUntilSpace(board, camera, "Echec : Impossible.");
}

void showMemoryFailure(const BoardState& board, Camera& camera) {
  showBoardUntilSpace(board, camera, "Echec : m\xe9moire.");
}
