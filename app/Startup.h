// Opening the program's window and loading its font, shared by main and the
// tests of start-up.
#pragma once

#include <string>

#include "render/Camera.h"

// The window caption, Latin-1.
extern const char* const windowCaption;

// Opens the 400 by 300 OpenGL window and sets its caption (Latin-1 WM_NAME
// and UTF-8 _NET_WM_NAME) and its icon (icon.bmp from the data folders but
// the working directory, none when it is missing); where no window can be had, says why on
// standard error and ends the program with status 1.
void openProgramWindow();

// Loads "font.bmp", from the first of the program's data folders that holds
// one that loads (platform/DataFiles.h), as the program's font texture, and
// returns the path it was read from; each one passed over gets a line on
// standard error. A font found nowhere, or none that can be loaded, ends the
// program with status -1 (abortMissingFile).
std::string loadProgramFont();

// The fixed camera, standing at (3, 3, 15) and looking down at the board
// plane; the screens look through boardCamera of it (render/BoardView.h),
// which is this camera for boards of up to six rows.
Camera placeCamera();
