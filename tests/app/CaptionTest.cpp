#include "app/Startup.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

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
TEST(CaptionTest, WindowManagerSeesTheFrenchCaption) {
  openProgramWindow();
  SDL_PumpEvents();
  const std::string window =
      commandOutput("xdotool search --sync --limit 1 --name '^Cavel' 2>/dev/null");
  ASSERT_FALSE(window.empty()) << "no window named Cavel";
  const std::string name =
      commandOutput("LC_ALL=C.UTF-8 xprop -id " + window + " WM_NAME 2>&1");
  EXPECT_NE(name.find("Cavel r\xc3\xa9solveur, TASSOWEN cr\xc3\xa9" "ation..."), std::string::npos)
      << name;
}
