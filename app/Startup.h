// Opening the program's window, shared by main and the tests of start-up.
#pragma once

// The window caption, Latin-1.
extern const char* const windowCaption;

// Opens the 400 by 300 OpenGL window and sets its caption.
void openProgramWindow();
