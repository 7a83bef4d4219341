// The one way the program ends on an error, and the missing-file case built
// on it. Drawing and loading report their failures; the application decides
// to end here.
#pragma once

#include <cstdio>
#include <string>

// Shows `message` in a modal box captioned "Erreur" when `showBox` is set and
// waits until it is closed (where no box can be shown, the text goes to
// standard error instead), writes the message as one line to `stream`, shuts
// SDL down and ends the process with `status`.
[[noreturn]] void exitWithError(int status, const std::string& message, std::FILE* stream,
                                bool showBox);

// A file the program needs could not be loaded from `path`: "Erreur : Le
// fichier PATH requis n'existe pas !!" on standard output, in a box as well
// when the file cannot even be opened, then status -1.
[[noreturn]] void abortMissingFile(const char* path);
