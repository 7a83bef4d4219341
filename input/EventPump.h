// The event pump and the program-wide latch that every screen polls.
#pragma once

#include "KeyLatch.h"

// Drains SDL's event queue into the program's latch (see KeyLatch): keys,
// mouse buttons, pointer motion and the close request; every other event
// is dropped. Returns how many events it took, whatever they were, so that
// a screen can redraw soon after any of them.
int pumpEvents();

// The latch the pumps fill, for the screens to read.
KeyLatch& keyLatch();

// Whether a pump has seen a request to close the window (its close button:
// WM_DELETE_WINDOW, which SDL reports as SDL_QUIT); so for the rest of the
// run.
bool closeRequested();
