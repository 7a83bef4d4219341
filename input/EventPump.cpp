#include "EventPump.h"

#include <SDL.h>

#include <optional>

KeyLatch& keyLatch() {
  static KeyLatch latch;
  return latch;
}

int pumpEvents() {
  KeyLatch& latch = keyLatch();
  latch.beginPump();
  int taken = 0;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    ++taken;
    if (const std::optional<InputEvent> input = translateEvent(event)) latch.take(*input);
  }
  return taken;
}

bool closeRequested() { return keyLatch().closeRequested(); }
