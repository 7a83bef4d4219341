#include "Video.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void failVideo(const char* what) {
  std::fprintf(stderr, "cavel: %s: %s\n", what, SDL_GetError());
  std::exit(1);
}

}  // namespace

void initVideo(int width, int height, int bitsPerPixel, bool fullscreen) {
  // SDL 1.2 registers no exit handler of its own on this platform.
  static bool quitRegistered = false;
  if (!quitRegistered) {
    std::atexit(SDL_Quit);
    quitRegistered = true;
  }
  if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) != 0) {
    failVideo("cannot start SDL");
  }
  Uint32 flags = SDL_HWSURFACE | SDL_OPENGL;
  if (fullscreen) flags |= SDL_FULLSCREEN;
  if (SDL_SetVideoMode(width, height, bitsPerPixel, flags) == nullptr) {
    failVideo("cannot open an OpenGL window");
  }
  glClearColor(0, 0, 0, 0);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, 1.3333333333333333, 1.0, 10000.0);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_LESS, 128.0f);
  glMatrixMode(GL_MODELVIEW);
}

void presentFrame() {
  SDL_GL_SwapBuffers();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

uint32_t ticks() { return SDL_GetTicks(); }
