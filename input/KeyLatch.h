// The event pump and the per-key latch that every screen polls.
#pragma once

// Drains SDL's event queue: a key-down latches its key, a key-up releases it,
// every other event (window close included) is dropped. Returns how many
// events it took, so that a screen can redraw soon after any of them.
int pumpEvents();

// The latch byte of `key` (0 or 1); a non-zero `consume` clears it after
// reading. A key outside SDL's symbol range reads 0.
int keyPressed(int key, int consume);
