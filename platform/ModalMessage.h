// A modal message box of our own, drawn with plain Xlib: a caption, one line
// of text and an OK button.
#pragma once

// Shows `text` (Latin-1) under `caption` in a modal window and returns once
// the person closes it with a click on OK, Return, Escape or the window
// manager's close button. Returns false, showing nothing, when no display
// can be opened.
bool showModalMessage(const char* caption, const char* text);
