// What a desktop shows of the program's window beyond SDL's Latin-1 WM_NAME:
// the title as UTF-8 (_NET_WM_NAME), which most window managers and task
// bars read first, and the icon (_NET_WM_ICON).
#pragma once

#include <string>

// `text`, Latin-1, as UTF-8.
std::string latin1ToUtf8(const char* text);

// Sets the title of SDL's window, Latin-1 `caption`, as UTF-8 in
// _NET_WM_NAME and _NET_WM_ICON_NAME; nothing where the window is no X11
// one.
void setWindowUtf8Title(const char* caption);

// Sets the icon of SDL's window to the Windows bitmap at `path`; false when
// the file cannot be loaded or the window is no X11 one.
bool setWindowIcon(const std::string& path);
