// The window program's command line: `cavel [FILE]`.
#pragma once

#include <optional>

#include "model/BoardState.h"

// The layout of the puzzle file named on the command line ("-" for standard
// input), read before any window opens; nothing when no file is named.
// --help prints the usage and ends the program with status 0. A file that
// cannot be read or parsed ("FILE:LINE: message" on standard error), an
// unknown option or a second file end it with status 2.
std::optional<BoardState> readCommandLine(int argc, char** argv);
