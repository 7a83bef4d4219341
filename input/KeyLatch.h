// The latch that screens poll: which keys and mouse buttons are down, which
// presses are still to be taken, where the pointer stands, and whether the
// window was asked to close. Fed the program's own events (InputEvent), so
// that it holds no SDL state of its own.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <optional>

#include "InputEvent.h"

struct PointerPosition {
  int x = 0;  // window pixels from the left
  int y = 0;  // and from the top
};

class KeyLatch {
 public:
  // Mouse buttons 1 to 7 (SDL's numbers; 4 and 5 are the wheel).
  static constexpr int buttonCount = 8;

  // Starts a pump: a key or button pressed and released within the last
  // pump is down no longer.
  void beginPump();
  // Takes one event of the pump.
  void take(const InputEvent& event);

  // Whether a pump has seen a request to close the window. It stays so for
  // the rest of the run.
  bool closeRequested() const { return closeSeen_; }
  // Whether the last pump took a key going down, whichever key it was.
  bool keyDownSeen() const { return keyDownInPump_; }

  // Whether `key` is down: held since its key-down, or pressed and released
  // within the last pump, so that a brisk press is seen until the next
  // pump. False for a key outside SDL's symbols.
  bool isDown(int key) const;
  // Whether `key` was pressed and the press not yet taken; takes it. A press
  // is there while the key is down, and is taken once.
  bool takePress(int key);
  // The modifiers held when `key` last went down.
  KeyModifiers pressModifiers(int key) const;

  // The same for the mouse buttons: down, and a press (a click) taken once,
  // with where it was.
  bool isButtonDown(int button) const;
  std::optional<PointerPosition> takeClick(int button);
  // Where the pointer stood at the last button or motion event.
  PointerPosition pointer() const { return pointer_; }

 private:
  // One latch per key or button: up, held, or tapped (down and up within
  // one pump); whether its press was taken; and whether it went down in
  // the current pump.
  template <int size>
  struct Latches {
    std::array<uint8_t, size> state{};
    std::array<bool, size> taken{};
    std::array<bool, size> wentDown{};

    void beginPump();
    void press(int index);
    void release(int index);
    bool isDown(int index) const;
    bool takePress(int index);
  };

  Latches<SDLK_LAST> keys_;
  Latches<buttonCount> buttons_;
  std::array<KeyModifiers, SDLK_LAST> modifiers_{};
  std::array<PointerPosition, buttonCount> clickedAt_{};
  PointerPosition pointer_;
  bool closeSeen_ = false;
  bool keyDownInPump_ = false;
};
