#include "KeyLatch.h"

namespace {

enum : uint8_t { up = 0, held = 1, tapped = 2 };

bool inRange(int index, int size) { return index >= 0 && index < size; }

}  // namespace

template <int size>
void KeyLatch::Latches<size>::beginPump() {
  for (int i = 0; i < size; ++i) {
    if (state[i] == tapped) state[i] = up;
    wentDown[i] = false;
  }
}

template <int size>
void KeyLatch::Latches<size>::press(int index) {
  state[index] = held;
  taken[index] = false;
  wentDown[index] = true;
}

// A key that went down in this pump is kept as tapped until the next one;
// one held from an earlier pump is up at once.
template <int size>
void KeyLatch::Latches<size>::release(int index) {
  state[index] = wentDown[index] && state[index] == held ? tapped : up;
}

template <int size>
bool KeyLatch::Latches<size>::isDown(int index) const {
  return inRange(index, size) && state[index] != up;
}

template <int size>
bool KeyLatch::Latches<size>::takePress(int index) {
  if (!isDown(index) || taken[index]) return false;
  taken[index] = true;
  return true;
}

void KeyLatch::beginPump() {
  keys_.beginPump();
  buttons_.beginPump();
  keyDownInPump_ = false;
}

void KeyLatch::take(const InputEvent& event) {
  const bool keyKnown = inRange(event.key, SDLK_LAST);
  const bool buttonKnown = inRange(event.button, buttonCount);
  switch (event.type) {
    case InputEventType::keyDown:
      keyDownInPump_ = true;
      if (!keyKnown) return;
      keys_.press(event.key);
      modifiers_[event.key] = event.modifiers;
      return;
    case InputEventType::keyUp:
      if (keyKnown) keys_.release(event.key);
      return;
    case InputEventType::buttonDown:
      pointer_ = {event.x, event.y};
      if (!buttonKnown) return;
      buttons_.press(event.button);
      clickedAt_[event.button] = pointer_;
      return;
    case InputEventType::buttonUp:
      pointer_ = {event.x, event.y};
      if (buttonKnown) buttons_.release(event.button);
      return;
    case InputEventType::pointerMotion:
      pointer_ = {event.x, event.y};
      return;
    case InputEventType::closeRequest:
      closeSeen_ = true;
      return;
  }
}

bool KeyLatch::isDown(int key) const { return keys_.isDown(key); }

bool KeyLatch::takePress(int key) { return keys_.takePress(key); }

KeyModifiers KeyLatch::pressModifiers(int key) const {
  return inRange(key, SDLK_LAST) ? modifiers_[key] : KeyModifiers();
}

bool KeyLatch::isButtonDown(int button) const { return buttons_.isDown(button); }

std::optional<PointerPosition> KeyLatch::takeClick(int button) {
  if (!buttons_.takePress(button)) return std::nullopt;
  return clickedAt_[button];
}
