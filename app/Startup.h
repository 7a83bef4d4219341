// Opening the program's window and loading its font, shared by main and the
// tests of start-up.
#pragma once

#include "render/Camera.h"

// The window caption, Latin-1.
extern const char* const windowCaption;

// Opens the 400 by 300 OpenGL window and sets its caption; where no window
// can be had, says why on standard error and ends the program with status 1.
void openProgramWindow();

// Loads "font.bmp" as the program's font texture; a font that cannot be
// loaded ends the program with status -1.
void loadProgramFont();

// The one camera, standing at (3, 3, 15) and looking down at the board plane
// whatever the board size.
Camera placeCamera();
