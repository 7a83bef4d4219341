#include "Startup.h"

#include <SDL.h>

#include "render/Video.h"

const char* const windowCaption = "Cavel r\xe9solveur, TASSOWEN cr\xe9" "ation...";

void openProgramWindow() {
  initVideo(400, 300, 32, false);
  SDL_WM_SetCaption(windowCaption, nullptr);
}
