// The program's entry: one window, one puzzle, a fixed line of screens.
#include <GL/gl.h>

#include "Startup.h"
#include "model/BoardSize.h"
#include "render/Camera.h"
#include "render/Draw.h"
#include "render/MessageOverlay.h"
#include "render/Texture.h"

int main(int, char**) {
  openProgramWindow();
  fontTexture = static_cast<int>(loadTexture("font.bmp", 32));
  MessageOverlay overlay("font.bmp");
  // Placed before the board size is chosen: (3, 3, 15) for every board.
  Camera camera;
  camera.moveForward(-15.0);
  camera.moveRight(boardWidth * 0.5);
  camera.moveUp(boardWidth * 0.5);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_DEPTH_TEST);
  glColor3f(0.5f, 0.5f, 0.5f);
  return 0;
}
