#include "CommandLine.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/FatalError.h"
#include "puzzle/PuzzleFile.h"

namespace {

constexpr int exitBadInput = 2;

const char usage[] =
    "Usage: cavel [FILE]\n"
    "\n"
    "Opens the window of the sliding-block puzzle solver. Without FILE it\n"
    "starts on the board size screen; with FILE, a puzzle file ('-' for\n"
    "standard input), the placement editor opens on its layout. The glyph\n"
    "atlas font.bmp is read from the working directory, and the editor's S\n"
    "key saves the layout there as puzzle-N.txt.\n"
    "\n"
    "Exit status: 0 at the end of a run; 1 without a usable display; 2 for a\n"
    "bad argument or a puzzle file that cannot be read ('FILE:LINE: message'\n"
    "on standard error); 255 when font.bmp cannot be loaded.\n";

[[noreturn]] void usageError(const std::string& message) {
  exitWithError(exitBadInput, "cavel: " + message + "\nTry 'cavel --help'.", stderr, false);
}

}  // namespace

std::optional<BoardState> readCommandLine(int argc, char** argv) {
  if (argc < 2) return std::nullopt;
  const std::string path = argv[1];
  if (path == "--help") {
    std::fputs(usage, stdout);
    std::exit(0);
  }
  if (path.size() > 1 && path[0] == '-') usageError("unknown option '" + path + "'");
  if (argc > 2) usageError("one puzzle file at most");

  PuzzleError error;
  std::optional<BoardState> board = readPuzzleFile(path, error);
  if (!board) exitWithError(exitBadInput, formatPuzzleError(path, error), stderr, false);
  return board;
}
