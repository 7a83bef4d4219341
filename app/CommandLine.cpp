#include "CommandLine.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BuildInfo.h"
#include "app/core/MetricChoice.h"
#include "platform/FatalError.h"
#include "puzzle/PuzzleFile.h"

namespace {

constexpr int exitBadInput = 2;
constexpr int exitWriteFailed = 4;

const char usage[] =
    "Usage: cavel [OPTION]... [FILE]\n"
    "\n"
    "Opens the window of the sliding-block puzzle solver. Without FILE it\n"
    "starts on the board size screen; with FILE, a puzzle file ('-' for\n"
    "standard input) or a layout code (a FILE that begins with 'cavel:', as\n"
    "cavel-solve --code prints it), the placement editor opens on its layout.\n"
    "The editor's S key saves the layout in the working directory as\n"
    "puzzle-N.txt. On the board size screen, L lists the collection of\n"
    "puzzles installed with the program (puzzles/collection in the data\n"
    "folder of the install, else of the source tree; never the working\n"
    "directory's), and Return opens the one chosen in the editor. The\n"
    "editor's J key plays the layout, with the distance to the exit and\n"
    "hints from the engine, and keeps the best scores in\n"
    "$XDG_DATA_HOME/cavel/scores (~/.local/share/cavel/scores when unset).\n"
    "\n"
    "The glyph atlas font.bmp is looked for in the working directory, then in\n"
    "the data folder of the install (share/cavel beside the program's bin/\n"
    "folder, wherever the install was moved), then, for a program that stays\n"
    "in its build tree, in the source tree's data/; one that cannot be\n"
    "loaded is passed over for the next, with a line on standard error.\n"
    "\n"
    "Options:\n"
    "  --metric NAME  what counts as one move, in the search, the replay and\n"
    "                 its count, and in play (the editor's M key changes it\n"
    "                 too):\n"
    "                   step  one piece by one cell (the default)\n"
    "                   line  one piece by any number of cells in one direction\n"
    "                   path  one piece to any cell it can reach by one-cell\n"
    "                         steps while the other pieces stay\n"
    "                 The value may also come after '=': --metric=path.\n"
    "  -h, --help     this text\n"
    "  -V, --version  the version\n"
    "  --             what follows is FILE, even when it begins with '-'\n"
    "\n"
    "Exit status: 0 at the end of a run; 1 without a usable display; 2 for a\n"
    "bad argument, a puzzle file that cannot be read ('FILE:LINE: message'\n"
    "on standard error) or a bad layout code ('cavel:BODY: message'); 4 when\n"
    "--help or --version cannot write to standard output; 255 when font.bmp\n"
    "is found nowhere or none can be loaded (the message in a box when the\n"
    "file is found nowhere, and on standard output and standard error).\n";

[[noreturn]] void usageError(const std::string& message) {
  exitWithError(exitBadInput, "cavel: " + message + "\nTry 'cavel --help'.", stderr);
}

// Prints `text` and ends the program: status 0, or 4 with the reason on
// standard error when standard output cannot take it.
[[noreturn]] void printAndExit(const std::string& text) {
  // A text longer than the stream's buffer is partly written by fputs,
  // which then leaves the reason of a failure in errno.
  errno = 0;
  std::fputs(text.c_str(), stdout);
  const int earlier = errno;
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  if (!flushed || std::ferror(stdout)) {
    const int error = flushed ? earlier : errno;
    exitWithError(exitWriteFailed,
                  std::string("cavel: cannot write to standard output") +
                      (error ? std::string(": ") + std::strerror(error) : std::string()),
                  stderr);
  }
  std::exit(0);
}

MoveMetric parseMetric(const std::string& value) {
  const std::optional<MoveMetric> metric = metricNamed(value);
  if (!metric) usageError("--metric needs step, line or path");
  return *metric;
}

// One option at argv[i]; one that takes its value from the next argument
// moves `i` on to it.
void runOption(int argc, char** argv, int& i, CommandLine& command) {
  const std::string argument = argv[i];
  // "--name=value": the value rides with the name.
  const size_t equals = argument.find('=');
  const std::string name =
      argument.compare(0, 2, "--") == 0 ? argument.substr(0, equals) : argument;
  if (name == "--metric") {
    if (name != argument) {
      command.metric = parseMetric(argument.substr(equals + 1));
    } else {
      command.metric = parseMetric(i + 1 < argc ? argv[++i] : "");
    }
    return;
  }
  const bool known = name == "--help" || name == "-h" || name == "--version" || name == "-V";
  if (!known) usageError("unknown option '" + argument + "'");
  if (name != argument) usageError("option '" + name + "' takes no value");
  if (name == "--help" || name == "-h") printAndExit(usage);
  printAndExit(std::string("cavel ") + CAVEL_VERSION + "\n");
}

}  // namespace

CommandLine readCommandLine(int argc, char** argv) {
  CommandLine command;
  std::vector<std::string> files;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (optionsEnded || argument.size() <= 1 || argument[0] != '-') {
      files.push_back(argument);
    } else {
      runOption(argc, argv, i, command);
    }
  }
  if (files.empty()) return command;
  if (files.size() > 1) usageError("one puzzle file at most");

  PuzzleError error;
  command.board = readPuzzleArgument(files[0], error);
  if (!command.board) exitWithError(exitBadInput, formatPuzzleError(files[0], error), stderr);
  return command;
}
