#include "InputEvent.h"

#include <cstring>
#include <type_traits>

namespace {

// The event's key symbol as the number it holds: one outside SDLKey's values
// (which an event may carry) is no SDLKey to be read as one.
int symbolOf(const SDL_KeyboardEvent& key) {
  std::underlying_type_t<SDLKey> symbol;
  std::memcpy(&symbol, &key.keysym.sym, sizeof symbol);
  return static_cast<int>(symbol);
}

KeyModifiers modifiersOf(SDLMod mod) {
  KeyModifiers modifiers;
  modifiers.shift = (mod & KMOD_SHIFT) != 0;
  modifiers.control = (mod & KMOD_CTRL) != 0;
  modifiers.alt = (mod & KMOD_ALT) != 0;
  return modifiers;
}

std::optional<InputEvent> keyEvent(const SDL_KeyboardEvent& key, InputEventType type) {
  const int symbol = symbolOf(key);
  if (symbol < 0 || symbol >= SDLK_LAST) return std::nullopt;
  InputEvent event;
  event.type = type;
  event.key = symbol;
  event.modifiers = modifiersOf(key.keysym.mod);
  return event;
}

InputEvent buttonEvent(const SDL_MouseButtonEvent& button, InputEventType type) {
  InputEvent event;
  event.type = type;
  event.button = button.button;
  event.x = button.x;
  event.y = button.y;
  return event;
}

}  // namespace

std::optional<InputEvent> translateEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
      return keyEvent(event.key, InputEventType::keyDown);
    case SDL_KEYUP:
      return keyEvent(event.key, InputEventType::keyUp);
    case SDL_MOUSEBUTTONDOWN:
      return buttonEvent(event.button, InputEventType::buttonDown);
    case SDL_MOUSEBUTTONUP:
      return buttonEvent(event.button, InputEventType::buttonUp);
    case SDL_MOUSEMOTION: {
      InputEvent motion;
      motion.type = InputEventType::pointerMotion;
      motion.x = event.motion.x;
      motion.y = event.motion.y;
      return motion;
    }
    case SDL_QUIT:
      return InputEvent{};
    default:
      return std::nullopt;
  }
}
