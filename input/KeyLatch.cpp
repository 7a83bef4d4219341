#include "KeyLatch.h"

#include <SDL.h>

namespace {

unsigned char keyLatch[SDLK_LAST] = {};

bool inLatch(int key) { return key >= 0 && key < SDLK_LAST; }

void setLatch(int key, unsigned char value) {
  if (inLatch(key)) keyLatch[key] = value;
}

}  // namespace

int pumpEvents() {
  int taken = 0;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    ++taken;
    if (event.type == SDL_KEYDOWN) setLatch(event.key.keysym.sym, 1);
    if (event.type == SDL_KEYUP) setLatch(event.key.keysym.sym, 0);
  }
  return taken;
}

int keyPressed(int key, int consume) {
  if (!inLatch(key)) return 0;
  const int latched = keyLatch[key];
  if (consume != 0) keyLatch[key] = 0;
  return latched;
}
