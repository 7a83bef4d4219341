// The event pump and the per-key latch that every screen polls.
#pragma once

// Drains SDL's event queue: a key-down latches its key, a key-up releases it,
// a request to close the window is kept (see closeRequested), every other
// event is dropped. A key pressed and released within one pump stays latched
// until the next pump, so that a press is never lost to a slow pump. Returns
// how many events it took, so that a screen can redraw soon after any of
// them.
int pumpEvents();

// Whether a pump has seen a request to close the window (its close button:
// WM_DELETE_WINDOW, which SDL reports as SDL_QUIT). It stays so for the rest
// of the run.
bool closeRequested();

// Whether the last pump took a key going down, whichever key it was.
bool keyDownSeen();

// 1 while `key` is latched, else 0; a non-zero `consume` clears it after
// reading. A key outside SDL's symbol range reads 0.
int keyPressed(int key, int consume);
