// The one way the program ends on an error, and the missing-file case built
// on it. Drawing and loading report their failures; the application decides
// to end here.
#pragma once

#include <cstdio>
#include <string>

// Writes `message` as one line to `stream`, shuts SDL down and ends the
// process with `status`.
[[noreturn]] void exitWithError(int status, const std::string& message, std::FILE* stream);

// A file the program needs could not be loaded from `path`: "Erreur : Le
// fichier PATH requis n'existe pas !!" in a box when nothing of that name is
// there, "... requis ne peut pas etre lu !!" without a box when something is
// but cannot be loaded; then on standard output and on standard error,
// followed there by `note` when it is not empty (where the file was looked
// for, say); then status -1.
[[noreturn]] void abortMissingFile(const std::string& path, const std::string& note = "");
