// The window program's command line: `cavel [OPTION]... [FILE]`.
#pragma once

#include <optional>

#include "model/BoardState.h"

// The layout of the puzzle file named on the command line ("-" for standard
// input), read before any window opens; nothing when no file is named.
// --help (-h) prints the usage and --version (-V) the version, then end the
// program with status 0, or 4 when standard output cannot take the text;
// after "--" an argument is the file even when it begins with '-'. A file
// that cannot be read or parsed ("FILE:LINE: message" on standard error), an
// unknown option, a value given to an option or a second file end it with
// status 2.
std::optional<BoardState> readCommandLine(int argc, char** argv);
