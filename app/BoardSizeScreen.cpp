#include "BoardSizeScreen.h"

#include <GL/gl.h>
#include <SDL.h>

#include "ScreenFrame.h"
#include "input/KeyLatch.h"
#include "model/BoardSize.h"
#include "render/Draw.h"
#include "render/Video.h"

namespace {

// Applies this frame's arrows; true when Return ends the screen.
bool handleSizeKeys() {
  if (keyPressed(SDLK_RIGHT, 1) && boardWidth < maxBoardWidth) ++boardWidth;
  if (keyPressed(SDLK_LEFT, 1) && boardWidth > minBoardWidth) --boardWidth;
  if (keyPressed(SDLK_UP, 1) && boardHeight < maxBoardHeight) ++boardHeight;
  if (keyPressed(SDLK_DOWN, 1) && boardHeight > minBoardHeight) --boardHeight;
  return keyPressed(SDLK_RETURN, 1) != 0;
}

}  // namespace

BoardState runBoardSizeScreen(Camera& camera) {
  const BoardState empty;
  startScreen();
  while (!keyPressed(SDLK_ESCAPE, 0)) {
    glDisable(GL_TEXTURE_2D);
    pumpEvents();
    camera.applyView();
    drawBoard(empty);
    beginText();
    drawLabel("Utilisez les fleches...", {-5, 8, 0}, {15, 0, 0}, {0, 1, 0});
    drawLabel("Return pour valider...", {-5, 7, 0}, {15, 0, 0}, {0, 1, 0});
    endText();
    if (handleSizeKeys()) break;
    SDL_Delay(1);
    presentFrame();
  }
  return BoardState();
}
