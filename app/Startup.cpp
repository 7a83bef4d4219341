#include "Startup.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/DataFiles.h"
#include "platform/FatalError.h"
#include "platform/WindowIdentity.h"
#include "render/Draw.h"
#include "render/Texture.h"
#include "render/Video.h"

const char* const windowCaption =
    "Cavel r\xe9solveur, TASSOWEN cr\xe9"
    "ation...";

void openProgramWindow() {
  if (const std::optional<std::string> failure = initVideo(400, 300, 32)) {
    exitWithError(1, "cavel: " + *failure, stderr);
  }
  SDL_WM_SetCaption(windowCaption, nullptr);
  setWindowUtf8Title(windowCaption);
  // The icon comes from the program's own folders only: an icon.bmp that
  // happens to lie in the working directory is none of its business.
  std::vector<std::string> folders = programDataFolders();
  folders.erase(std::remove(folders.begin(), folders.end(), std::string()), folders.end());
  if (const std::optional<std::string> icon = findDataFile("icon.bmp", folders)) {
    setWindowIcon(*icon);
  }
}

std::string loadProgramFont() {
  const std::vector<std::string> folders = programDataFolders();
  const std::vector<std::string> paths = findDataFiles("font.bmp", folders);
  if (paths.empty()) {
    abortMissingFile("font.bmp",
                     "cavel: font.bmp is in none of these folders: " + describeFolders(folders));
  }
  // A font.bmp that cannot be loaded (say, a stray file in the working
  // directory) gives way to the next folder's.
  for (const std::string& path : paths) {
    if (const std::optional<unsigned int> font = loadTexture(path.c_str(), 32)) {
      fontTexture = static_cast<int>(*font);
      return path;
    }
    std::fprintf(stderr, "cavel: %s is no bitmap that can be loaded; passed over\n", path.c_str());
  }
  abortMissingFile(paths.front(), "cavel: no font.bmp that can be loaded in these folders: " +
                                      describeFolders(folders));
}

Camera placeCamera() {
  // Half the width of the board the size screen starts from, in both
  // directions: only a board taller than six rows moves it (boardCamera).
  const double half = BoardSize().width * 0.5;
  Camera camera;
  camera.moveForward(-15.0);
  camera.moveRight(half);
  camera.moveUp(half);
  return camera;
}
