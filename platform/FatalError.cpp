#include "FatalError.h"

#include <SDL.h>

#include <cstdlib>

#include "ModalMessage.h"

void exitWithError(int status, const std::string& message, std::FILE* stream, bool showBox) {
  if (showBox && !showModalMessage("Erreur", message.c_str())) {
    std::fprintf(stderr, "%s\n", message.c_str());
  }
  std::fprintf(stream, "%s\n", message.c_str());
  std::fflush(stream);
  SDL_Quit();
  std::exit(status);
}

void abortMissingFile(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  const bool opened = file != nullptr;
  if (file != nullptr) std::fclose(file);
  // Built whole, whatever the length of the path. A box only when the file
  // is not there at all; a file that exists but is no usable bitmap gets the
  // printed message alone.
  exitWithError(-1, std::string("Erreur : Le fichier ") + path + " requis n'existe pas !!", stdout,
                !opened);
}
