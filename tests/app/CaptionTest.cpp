#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/Startup.h"

namespace {

std::string commandOutput(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  pclose(pipe);
  return output;
}

}  // namespace

// The caption as the X server holds it, read back the way a window manager
// would, must show the accented letters, not mangled bytes.
TEST(CaptionTest, WindowManagerSeesTheFrenchCaptionAndTheIcon) {
  openProgramWindow();
  SDL_PumpEvents();
  // Asked again rather than waited for with --sync: a search that meets a
  // window another client destroys meanwhile ends with an X error, no answer.
  std::string window;
  for (int tries = 0; tries < 100 && window.empty(); ++tries) {
    if (tries > 0) SDL_Delay(100);
    window = commandOutput("xdotool search --limit 1 --name '^Cavel' 2>/dev/null");
    while (!window.empty() && window.back() == '\n') window.pop_back();
  }
  ASSERT_FALSE(window.empty()) << "no window named Cavel";
  // WM_NAME in Latin-1, and _NET_WM_NAME in UTF-8 for the desktops that
  // read it first; both come out as the same UTF-8 text.
  const std::string caption =
      "Cavel r\xc3\xa9solveur, TASSOWEN cr\xc3\xa9"
      "ation...";
  const std::string names =
      commandOutput("LC_ALL=C.UTF-8 xprop -id " + window + " WM_NAME _NET_WM_NAME 2>&1");
  EXPECT_NE(names.find("WM_NAME(STRING) = \"" + caption + "\""), std::string::npos) << names;
  EXPECT_NE(names.find("_NET_WM_NAME(UTF8_STRING) = \"" + caption + "\""), std::string::npos)
      << names;
  // The icon, read from the data folders: data/icon.bmp for a test binary.
  const std::string icon = commandOutput("xprop -id " + window + " _NET_WM_ICON 2>&1");
  EXPECT_NE(icon.find("Icon (48 x 48)"), std::string::npos) << icon.substr(0, 200);
}
