#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "input/KeyLatch.h"

namespace {

// Real SDL events on SDL's own queue; the dummy video driver needs no display.
class KeyLatchTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    ASSERT_NE(SDL_SetVideoMode(64, 64, 32, SDL_SWSURFACE), nullptr) << SDL_GetError();
  }
  static void TearDownTestSuite() { SDL_Quit(); }

  void SetUp() override {
    pumpEvents();
    for (int key = 0; key < SDLK_LAST; ++key) keyPressed(key, 1);
  }

  static void push(Uint8 type, int key) {
    SDL_Event event = {};
    event.type = type;
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    // Copied, not cast: a number outside SDLKey's values is no SDLKey.
    std::underlying_type_t<SDLKey> symbol = static_cast<std::underlying_type_t<SDLKey>>(key);
    std::memcpy(&event.key.keysym.sym, &symbol, sizeof symbol);
    ASSERT_EQ(SDL_PushEvent(&event), 0);
  }
};

}  // namespace

TEST_F(KeyLatchTest, PressIsSeenFromItsPumpUntilReleaseOrConsumption) {
  push(SDL_KEYDOWN, SDLK_SPACE);
  EXPECT_EQ(keyPressed(SDLK_SPACE, 0), 0);  // not pumped yet
  EXPECT_FALSE(keyDownSeen());
  pumpEvents();
  EXPECT_TRUE(keyDownSeen());
  EXPECT_EQ(keyPressed(SDLK_SPACE, 0), 1);
  EXPECT_EQ(keyPressed(SDLK_SPACE, 0), 1);  // unconsumed tests see it again
  EXPECT_EQ(keyPressed(SDLK_SPACE, 1), 1);
  EXPECT_EQ(keyPressed(SDLK_SPACE, 1), 0);  // consumed once
  pumpEvents();
  EXPECT_EQ(keyPressed(SDLK_SPACE, 0), 0);  // held, but no new key-down
  EXPECT_FALSE(keyDownSeen());

  push(SDL_KEYDOWN, SDLK_ESCAPE);
  pumpEvents();
  push(SDL_KEYUP, SDLK_ESCAPE);
  EXPECT_EQ(keyPressed(SDLK_ESCAPE, 0), 1);
  pumpEvents();
  EXPECT_EQ(keyPressed(SDLK_ESCAPE, 0), 0);
  EXPECT_FALSE(keyDownSeen());  // a key-up alone is no key coming
}

TEST_F(KeyLatchTest, PressAndReleaseInOnePumpCountOnceUntilTheNextPump) {
  push(SDL_KEYDOWN, SDLK_RETURN);
  push(SDL_KEYUP, SDLK_RETURN);
  push(SDL_KEYDOWN, SDLK_ESCAPE);
  push(SDL_KEYUP, SDLK_ESCAPE);
  pumpEvents();
  EXPECT_EQ(keyPressed(SDLK_RETURN, 1), 1);
  EXPECT_EQ(keyPressed(SDLK_RETURN, 1), 0);  // consumed like any press
  EXPECT_EQ(keyPressed(SDLK_ESCAPE, 0), 1);
  EXPECT_EQ(keyPressed(SDLK_ESCAPE, 0), 1);  // every test until the next pump
  pumpEvents();
  EXPECT_EQ(keyPressed(SDLK_ESCAPE, 0), 0);  // then it is gone

  // Pressed again in the same pump: held, like any key still down.
  push(SDL_KEYDOWN, SDLK_SPACE);
  push(SDL_KEYUP, SDLK_SPACE);
  push(SDL_KEYDOWN, SDLK_SPACE);
  pumpEvents();
  pumpEvents();
  EXPECT_EQ(keyPressed(SDLK_SPACE, 0), 1);
  // A key held from an earlier pump is released by its key-up at once.
  push(SDL_KEYUP, SDLK_SPACE);
  pumpEvents();
  EXPECT_EQ(keyPressed(SDLK_SPACE, 0), 0);
}

TEST_F(KeyLatchTest, KeysAreLatchedApartAndConsumingAnUnlatchedKeyIsHarmless) {
  push(SDL_KEYDOWN, SDLK_LEFT);
  push(SDL_KEYDOWN, SDLK_o);
  pumpEvents();
  EXPECT_EQ(keyPressed(SDLK_RIGHT, 1), 0);
  EXPECT_EQ(keyPressed(SDLK_RIGHT, 0), 0);
  EXPECT_EQ(keyPressed(SDLK_LEFT, 1), 1);
  EXPECT_EQ(keyPressed(SDLK_o, 0), 1);
  EXPECT_EQ(keyPressed(SDLK_p, 0), 0);
}

TEST_F(KeyLatchTest, QuitIsKeptAsACloseRequestAndOutOfRangeSymbolsAreIgnored) {
  SDL_Event quit = {};
  quit.type = SDL_QUIT;
  ASSERT_EQ(SDL_PushEvent(&quit), 0);
  push(SDL_KEYDOWN, SDLK_LAST);
  push(SDL_KEYDOWN, 100000);
  push(SDL_KEYDOWN, SDLK_UP);
  EXPECT_FALSE(closeRequested());  // not pumped yet
  EXPECT_EQ(pumpEvents(), 4);      // every event counts, whatever it does
  EXPECT_TRUE(closeRequested());
  EXPECT_EQ(keyPressed(SDLK_UP, 1), 1);  // keys go on as before
  EXPECT_EQ(keyPressed(SDLK_LAST, 1), 0);
  EXPECT_EQ(keyPressed(100000, 1), 0);
  EXPECT_EQ(keyPressed(-1, 1), 0);
  // The pump drained the queue, quit included.
  SDL_Event left;
  EXPECT_EQ(SDL_PollEvent(&left), 0);
  EXPECT_EQ(pumpEvents(), 0);
  EXPECT_TRUE(closeRequested());  // for the rest of the run
}
