// Small pieces every screen loop shares.
#pragma once

#include "render/Vector3.h"

// Starts a screen from an identity view and a cleared buffer, so that a
// screen which ended mid-frame leaves nothing behind for the next one.
void startScreen();

// Switches texturing on with a white colour, for text.
void beginText();
// Switches texturing off, for pieces and boards.
void endText();

// Draws one fixed line with the program's font: `width` spans the whole line.
void drawLabel(const char* text, Vector3 position, Vector3 width, Vector3 height);
