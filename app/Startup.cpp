#include "Startup.h"

#include <SDL.h>

#include <optional>
#include <string>

#include "platform/FatalError.h"
#include "render/Draw.h"
#include "render/Texture.h"
#include "render/Video.h"

const char* const windowCaption =
    "Cavel r\xe9solveur, TASSOWEN cr\xe9"
    "ation...";

void openProgramWindow() {
  if (const std::optional<std::string> failure = initVideo(400, 300, 32, false)) {
    exitWithError(1, "cavel: " + *failure, stderr, false);
  }
  SDL_WM_SetCaption(windowCaption, nullptr);
}

void loadProgramFont() {
  const std::optional<unsigned int> font = loadTexture("font.bmp", 32);
  if (!font) abortMissingFile("font.bmp");
  fontTexture = static_cast<int>(*font);
}

Camera placeCamera() {
  // Half the width of the board the size screen starts from, in both
  // directions: the camera does not follow the size chosen.
  const double half = BoardSize().width * 0.5;
  Camera camera;
  camera.moveForward(-15.0);
  camera.moveRight(half);
  camera.moveUp(half);
  return camera;
}
