// The program's own input events, made from SDL's in this one place: key
// presses and releases with their modifiers, mouse buttons and pointer
// motion in window pixels, and the request to close the window.
#pragma once

#include <SDL.h>

#include <optional>

struct KeyModifiers {
  bool shift = false;
  bool control = false;
  bool alt = false;
};

enum class InputEventType {
  keyDown,
  keyUp,
  buttonDown,
  buttonUp,
  pointerMotion,
  closeRequest,  // the window's close button: WM_DELETE_WINDOW, SDL_QUIT to SDL
};

struct InputEvent {
  InputEventType type = InputEventType::closeRequest;
  int key = 0;             // the SDL key symbol, for key events
  KeyModifiers modifiers;  // held with the key, for key events
  int button = 0;          // 1 left, 2 middle, 3 right, 4 and 5 the wheel
  int x = 0;               // the pointer, in window pixels from the left,
  int y = 0;               // and from the top, for button and motion events
};

// The event that `event` is to the program; nothing for the events it has
// no use for (focus, exposure, ...) and for keys outside SDL's symbols.
std::optional<InputEvent> translateEvent(const SDL_Event& event);
