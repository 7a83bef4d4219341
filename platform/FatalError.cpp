#include "FatalError.h"

#include <SDL.h>
#include <sys/stat.h>

#include <cstdlib>

#include "ModalMessage.h"

void exitWithError(int status, const std::string& message, std::FILE* stream) {
  std::fprintf(stream, "%s\n", message.c_str());
  std::fflush(stream);
  SDL_Quit();
  std::exit(status);
}

void abortMissingFile(const std::string& path, const std::string& note) {
  struct stat info {};
  const bool there = stat(path.c_str(), &info) == 0;
  // Built whole, whatever the length of the path.
  const std::string message =
      "Erreur : Le fichier " + path +
      (there ? " requis ne peut pas \xeatre lu !!" : " requis n'existe pas !!");
  // A box only when the file is not there at all; a file that exists but is
  // no usable bitmap gets the printed message alone. Where no box can be
  // shown, standard error has the text below all the same.
  if (!there) showModalMessage("Erreur", message.c_str());
  std::fprintf(stderr, "%s\n", message.c_str());
  if (!note.empty()) std::fprintf(stderr, "%s\n", note.c_str());
  exitWithError(-1, message, stdout);
}
