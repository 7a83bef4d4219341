#include "KeyLatch.h"

#include <SDL.h>

#include <cstring>
#include <type_traits>

namespace {

// The state of one key in the latch.
enum : unsigned char {
  up = 0,
  held = 1,
  // Pressed and released within one pump: reported as pressed until the
  // next pump, so that a brisk press is not lost when the program was slow
  // to pump.
  tapped = 2,
};

unsigned char keyLatch[SDLK_LAST] = {};
bool closeSeen = false;
bool keyDownInLastPump = false;

bool inLatch(int key) { return key >= 0 && key < SDLK_LAST; }

// The event's key symbol as the number it holds: one outside SDLKey's values
// (which an event may carry) is no SDLKey to be read as one.
int symbolOf(const SDL_KeyboardEvent& key) {
  std::underlying_type_t<SDLKey> symbol;
  std::memcpy(&symbol, &key.keysym.sym, sizeof symbol);
  return static_cast<int>(symbol);
}

// The taps of the previous pump have been there for every test since.
void forgetTaps() {
  for (unsigned char& state : keyLatch) {
    if (state == tapped) state = up;
  }
}

}  // namespace

int pumpEvents() {
  forgetTaps();
  keyDownInLastPump = false;
  bool wentDown[SDLK_LAST] = {};
  int taken = 0;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    ++taken;
    if (event.type == SDL_QUIT) closeSeen = true;
    if (event.type == SDL_KEYDOWN) keyDownInLastPump = true;
    if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) continue;
    const int key = symbolOf(event.key);
    if (!inLatch(key)) continue;
    if (event.type == SDL_KEYDOWN) {
      keyLatch[key] = held;
      wentDown[key] = true;
    } else {
      keyLatch[key] = wentDown[key] && keyLatch[key] == held ? tapped : up;
    }
  }
  return taken;
}

bool closeRequested() { return closeSeen; }

bool keyDownSeen() { return keyDownInLastPump; }

int keyPressed(int key, int consume) {
  if (!inLatch(key)) return 0;
  const int latched = keyLatch[key] != up ? 1 : 0;
  if (consume != 0) keyLatch[key] = up;
  return latched;
}
