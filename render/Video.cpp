#include "Video.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>

#include <cstdlib>
#include <cstring>

namespace {

std::string failure(const char* what) { return std::string(what) + ": " + SDL_GetError(); }

// Where no display can be reached, SDL falls back on a driver that draws
// into memory and shows nothing; the program would then run unseen and
// never end. Such a driver is only used when the person names it.
bool showsNothingUnasked() {
  char driver[32] = "";
  if (SDL_VideoDriverName(driver, sizeof driver) == nullptr) return false;
  if (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0) return false;
  const char* requested = std::getenv("SDL_VIDEODRIVER");
  return requested == nullptr || std::strcmp(requested, driver) != 0;
}

}  // namespace

std::optional<std::string> initVideo(int width, int height, int bitsPerPixel) {
  // SDL 1.2 registers no exit handler of its own on this platform.
  static bool quitRegistered = false;
  if (!quitRegistered) {
    std::atexit(SDL_Quit);
    quitRegistered = true;
  }
  // SDL turns SIGINT and SIGTERM into a quit event, which the program would
  // take for its close button and end only at the next pump; left alone, the
  // signals end it at once, whatever it is doing.
  setenv("SDL_NO_SIGNAL_HANDLERS", "1", 0);
  if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) != 0) return failure("cannot start SDL");
  if (showsNothingUnasked()) {
    SDL_SetError("no display could be reached (is DISPLAY set?)");
    return failure("cannot open a window");
  }
  if (SDL_SetVideoMode(width, height, bitsPerPixel, SDL_HWSURFACE | SDL_OPENGL) == nullptr) {
    return failure("cannot open an OpenGL window");
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
  return std::nullopt;
}

void presentFrame() {
  SDL_GL_SwapBuffers();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

uint32_t ticks() { return SDL_GetTicks(); }
