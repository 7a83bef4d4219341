// The window program's command line: `cavel [OPTION]... [FILE]`.
#pragma once

#include <optional>

#include "model/BoardState.h"
#include "search/Solver.h"

// What the command line asks of the window program.
struct CommandLine {
  // The layout of the puzzle file named on it ("-" for standard input) or of
  // the layout code given in its place ("cavel:..."), read before any window
  // opens; nothing when no file is named.
  std::optional<BoardState> board;
  // What counts as one move in the search and the replay: --metric NAME or
  // --metric=NAME, step unless it says otherwise.
  MoveMetric metric = MoveMetric::step;
};

// Reads the command line. --help (-h) prints the usage and --version (-V)
// the version, then end the program with status 0, or 4 when standard output
// cannot take the text; after "--" an argument is the file even when it
// begins with '-'. A file that cannot be read or parsed ("FILE:LINE: message"
// on standard error), a bad layout code ("cavel:BODY: message"), an unknown
// option, a metric other than step, line or
// path, a value given to an option that takes none, or a second file end it
// with status 2.
CommandLine readCommandLine(int argc, char** argv);
