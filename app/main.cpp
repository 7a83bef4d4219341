// The program's entry: one window, one puzzle, a fixed line of screens.
#include <GL/gl.h>

#include "Startup.h"

int main(int, char**) {
  openProgramWindow();
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_DEPTH_TEST);
  glColor3f(0.5f, 0.5f, 0.5f);
  return 0;
}
