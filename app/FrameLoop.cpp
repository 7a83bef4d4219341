#include "FrameLoop.h"

#include <SDL.h>

#include "render/Draw.h"
#include "render/Video.h"

void startScreen() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void finishFrame() {
  SDL_Delay(1);
  presentFrame();
}

void beginText() {
  glEnable(GL_TEXTURE_2D);
  glColor3f(1, 1, 1);
}

void endText() { glDisable(GL_TEXTURE_2D); }

void drawLabel(const char* text, Vector3 position, Vector3 width, Vector3 height) {
  drawText(fontTexture, position, width, height, "%s", text);
}
