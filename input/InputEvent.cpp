#include "InputEvent.h"

namespace {

KeyModifiers modifiersOf(SDLMod mod) {
  KeyModifiers modifiers;
  modifiers.shift = (mod & KMOD_SHIFT) != 0;
  modifiers.control = (mod & KMOD_CTRL) != 0;
  modifiers.alt = (mod & KMOD_ALT) != 0;
  return modifiers;
}

std::optional<InputEvent> keyEvent(const SDL_KeyboardEvent& key, InputEventType type) {
  if (key.keysym.sym < 0 || key.keysym.sym >= SDLK_LAST) return std::nullopt;
  InputEvent event;
  event.type = type;
  event.key = key.keysym.sym;
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
