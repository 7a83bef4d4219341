#include "input/KeyLatch.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "input/EventPump.h"

namespace {

// Real SDL events on SDL's own queue, pumped into the program-wide latch;
// the dummy video driver needs no display.
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
    for (int key = 0; key < SDLK_LAST; ++key) keys().takePress(key);
    for (int button = 0; button < KeyLatch::buttonCount; ++button) keys().takeClick(button);
  }

  static KeyLatch& keys() { return keyLatch(); }

  static void push(Uint8 type, int key, int mod = KMOD_NONE) {
    SDL_Event event = {};
    event.type = type;
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    // Copied, not cast: a number outside SDLKey's values is no SDLKey.
    std::underlying_type_t<SDLKey> symbol = static_cast<std::underlying_type_t<SDLKey>>(key);
    std::memcpy(&event.key.keysym.sym, &symbol, sizeof symbol);
    event.key.keysym.mod = static_cast<SDLMod>(mod);
    ASSERT_EQ(SDL_PushEvent(&event), 0);
  }

  static void pushButton(Uint8 type, int button, int x, int y) {
    SDL_Event event = {};
    event.type = type;
    event.button.type = type;
    event.button.button = static_cast<Uint8>(button);
    event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = static_cast<Uint16>(x);
    event.button.y = static_cast<Uint16>(y);
    ASSERT_EQ(SDL_PushEvent(&event), 0);
  }

  static void pushMotion(int x, int y) {
    SDL_Event event = {};
    event.type = SDL_MOUSEMOTION;
    event.motion.type = SDL_MOUSEMOTION;
    event.motion.x = static_cast<Uint16>(x);
    event.motion.y = static_cast<Uint16>(y);
    ASSERT_EQ(SDL_PushEvent(&event), 0);
  }
};

}  // namespace

TEST_F(KeyLatchTest, APressIsTakenOnceAndSeenFromItsPumpUntilRelease) {
  push(SDL_KEYDOWN, SDLK_SPACE);
  EXPECT_FALSE(keys().isDown(SDLK_SPACE));  // not pumped yet
  EXPECT_FALSE(keys().keyDownSeen());
  pumpEvents();
  EXPECT_TRUE(keys().keyDownSeen());
  EXPECT_TRUE(keys().isDown(SDLK_SPACE));
  EXPECT_TRUE(keys().takePress(SDLK_SPACE));
  EXPECT_FALSE(keys().takePress(SDLK_SPACE));  // taken once
  EXPECT_TRUE(keys().isDown(SDLK_SPACE));      // though still held
  pumpEvents();
  EXPECT_FALSE(keys().takePress(SDLK_SPACE));  // held, but no new key-down
  EXPECT_FALSE(keys().keyDownSeen());
  push(SDL_KEYUP, SDLK_SPACE);
  pumpEvents();
  EXPECT_FALSE(keys().isDown(SDLK_SPACE));

  // A press not taken stays until the key is released.
  push(SDL_KEYDOWN, SDLK_ESCAPE);
  pumpEvents();
  pumpEvents();
  push(SDL_KEYUP, SDLK_ESCAPE);
  EXPECT_TRUE(keys().isDown(SDLK_ESCAPE));
  pumpEvents();
  EXPECT_FALSE(keys().isDown(SDLK_ESCAPE));
  EXPECT_FALSE(keys().takePress(SDLK_ESCAPE));
  EXPECT_FALSE(keys().keyDownSeen());  // a key-up alone is no key coming
}

TEST_F(KeyLatchTest, PressAndReleaseInOnePumpCountOnceUntilTheNextPump) {
  push(SDL_KEYDOWN, SDLK_RETURN);
  push(SDL_KEYUP, SDLK_RETURN);
  push(SDL_KEYDOWN, SDLK_ESCAPE);
  push(SDL_KEYUP, SDLK_ESCAPE);
  pumpEvents();
  EXPECT_TRUE(keys().takePress(SDLK_RETURN));
  EXPECT_FALSE(keys().takePress(SDLK_RETURN));  // taken like any press
  EXPECT_TRUE(keys().isDown(SDLK_ESCAPE));
  EXPECT_TRUE(keys().isDown(SDLK_ESCAPE));  // every look until the next pump
  pumpEvents();
  EXPECT_FALSE(keys().isDown(SDLK_ESCAPE));  // then it is gone
  EXPECT_FALSE(keys().takePress(SDLK_ESCAPE));

  // Pressed again in the same pump: held, like any key still down.
  push(SDL_KEYDOWN, SDLK_SPACE);
  push(SDL_KEYUP, SDLK_SPACE);
  push(SDL_KEYDOWN, SDLK_SPACE);
  pumpEvents();
  pumpEvents();
  EXPECT_TRUE(keys().isDown(SDLK_SPACE));
  EXPECT_TRUE(keys().takePress(SDLK_SPACE));
  // A key held from an earlier pump is released by its key-up at once.
  push(SDL_KEYUP, SDLK_SPACE);
  pumpEvents();
  EXPECT_FALSE(keys().isDown(SDLK_SPACE));
}

TEST_F(KeyLatchTest, KeysKeepTheirModifiersAndAreLatchedApart) {
  push(SDL_KEYDOWN, SDLK_TAB, KMOD_LSHIFT);
  push(SDL_KEYDOWN, SDLK_LEFT);
  push(SDL_KEYDOWN, SDLK_o, KMOD_RCTRL | KMOD_LALT);
  pumpEvents();
  EXPECT_TRUE(keys().pressModifiers(SDLK_TAB).shift);
  EXPECT_FALSE(keys().pressModifiers(SDLK_TAB).control);
  EXPECT_FALSE(keys().pressModifiers(SDLK_LEFT).shift);
  EXPECT_TRUE(keys().pressModifiers(SDLK_o).control);
  EXPECT_TRUE(keys().pressModifiers(SDLK_o).alt);
  EXPECT_FALSE(keys().takePress(SDLK_RIGHT));
  EXPECT_FALSE(keys().isDown(SDLK_RIGHT));
  EXPECT_TRUE(keys().takePress(SDLK_LEFT));
  EXPECT_TRUE(keys().isDown(SDLK_o));
  EXPECT_FALSE(keys().isDown(SDLK_p));
  // Tab again without Shift: the modifiers are those of the last press.
  push(SDL_KEYUP, SDLK_TAB);
  push(SDL_KEYDOWN, SDLK_TAB);
  pumpEvents();
  EXPECT_FALSE(keys().pressModifiers(SDLK_TAB).shift);
}

TEST_F(KeyLatchTest, MouseButtonsAreLatchedLikeKeysWithThePointerInWindowPixels) {
  pushMotion(10, 20);
  pumpEvents();
  EXPECT_EQ(keys().pointer().x, 10);
  EXPECT_EQ(keys().pointer().y, 20);
  EXPECT_FALSE(keys().takeClick(1));

  // A press, a drag and a release, each seen at its place.
  pushButton(SDL_MOUSEBUTTONDOWN, 1, 100, 150);
  pumpEvents();
  EXPECT_TRUE(keys().isButtonDown(1));
  EXPECT_FALSE(keys().isButtonDown(3));
  const std::optional<PointerPosition> click = keys().takeClick(1);
  ASSERT_TRUE(click);
  EXPECT_EQ(click->x, 100);
  EXPECT_EQ(click->y, 150);
  EXPECT_FALSE(keys().takeClick(1));  // taken once
  pushMotion(130, 140);
  pumpEvents();
  EXPECT_TRUE(keys().isButtonDown(1));
  EXPECT_EQ(keys().pointer().x, 130);
  pushButton(SDL_MOUSEBUTTONUP, 1, 131, 141);
  pumpEvents();
  EXPECT_FALSE(keys().isButtonDown(1));
  EXPECT_EQ(keys().pointer().y, 141);

  // A brisk click within one pump is still there to take.
  pushButton(SDL_MOUSEBUTTONDOWN, 3, 5, 6);
  pushButton(SDL_MOUSEBUTTONUP, 3, 5, 6);
  pumpEvents();
  EXPECT_TRUE(keys().isButtonDown(3));
  ASSERT_TRUE(keys().takeClick(3));
  pumpEvents();
  EXPECT_FALSE(keys().isButtonDown(3));
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
  EXPECT_TRUE(keys().takePress(SDLK_UP));  // keys go on as before
  EXPECT_FALSE(keys().takePress(SDLK_LAST));
  EXPECT_FALSE(keys().takePress(100000));
  EXPECT_FALSE(keys().takePress(-1));
  EXPECT_FALSE(keys().isDown(-1));
  EXPECT_FALSE(keys().isButtonDown(KeyLatch::buttonCount));
  // The pump drained the queue, quit included.
  SDL_Event left;
  EXPECT_EQ(SDL_PollEvent(&left), 0);
  EXPECT_EQ(pumpEvents(), 0);
  EXPECT_TRUE(closeRequested());  // for the rest of the run
}
