// cavel-solve: solves puzzle files from the shell, without a window.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "puzzle/BoardText.h"
#include "puzzle/MoveLogText.h"
#include "puzzle/PuzzleFile.h"
#include "search/Solver.h"

namespace {

constexpr int exitSolved = 0;
constexpr int exitNoSolution = 1;
constexpr int exitBadInput = 2;
constexpr int exitOutOfMemory = 3;

const char usage[] =
    "Usage: cavel-solve [OPTION]... FILE...\n"
    "\n"
    "Finds the shortest solution of the sliding-block puzzle in each FILE (or\n"
    "in standard input when FILE is '-'): the fewest moves that bring piece 0,\n"
    "the 2 by 2 square, to the two rightmost columns on rows 1 and 2.\n"
    "\n"
    "Puzzle file: 'size W H', then one 'piece S X Y' line per piece, the\n"
    "square (shape 0) first; the README describes the format in full.\n"
    "\n"
    "Output and exit status:\n"
    "  0  solved: 'moves N' (N counted in the chosen metric), then the move\n"
    "     bytes of every one-cell step in hexadecimal on one line (piece index\n"
    "     in bits 0-5; bits 6-7: 0 right, 1 left, 2 up, 3 down)\n"
    "  1  'no solution'\n"
    "  2  bad input or usage: 'FILE:LINE: message' on standard error\n"
    "  3  the memory budget (or the disk of --spill) ran out before the search\n"
    "     ended, or the search could not go on (the reason on standard error)\n"
    "With several files, each file's output follows a line '==> FILE <==',\n"
    "and the exit status is the largest of the files' statuses.\n"
    "\n"
    "Options:\n"
    "  --metric NAME     what counts as one move:\n"
    "                      step  one piece by one cell (the default)\n"
    "                      line  one piece by any number of cells in one\n"
    "                            direction\n"
    "                      path  one piece to any cell it can reach by one-cell\n"
    "                            steps while the other pieces stay\n"
    "                    Of the shortest solutions, the first is given, with\n"
    "                    moves compared in turn: by piece index, then for step\n"
    "                    and line by direction (right, left, up, down), nearer\n"
    "                    cells first, and for path in the order in which a\n"
    "                    breadth-first walk of one-cell steps (right, left, up,\n"
    "                    down) first reaches the cells, each by that walk's\n"
    "                    route.\n"
    "  --moves           after the two lines, one line per move:\n"
    "                    'piece P DIR...' with one DIR (right, left, up, down)\n"
    "                    per cell, e.g. 'piece 3 right right up'\n"
    "  --boards          the start and the board after each move as grids of\n"
    "                    letters, top row first: piece 0 is 'A', piece 1 'B',\n"
    "                    and so on (A-Z, a-z, 0-9, @, $); '.' is an empty\n"
    "                    cell. A caption line 'move K: ...' comes before each\n"
    "                    grid and a blank line after it.\n"
    "  --stats           positions, expansions, seconds, peak memory and the\n"
    "                    bytes stored per position on standard error\n"
    "  --max-memory MB   memory the search may hold (default: three quarters\n"
    "                    of the memory available at start)\n"
    "  --threads N       threads that search side by side (default: one per\n"
    "                    core); the answer never depends on it. The line and\n"
    "                    path metrics search on one thread.\n"
    "  --spill DIR       keep the positions found in files in DIR instead of\n"
    "                    in memory, so that the disk bounds the largest puzzle;\n"
    "                    the files are gone when the search ends. The line and\n"
    "                    path metrics keep their positions in memory.\n"
    "  --help            this text\n";

struct Arguments {
  std::vector<std::string> paths;
  bool stats = false;
  bool moves = false;
  bool boards = false;
  size_t memoryBudget = 0;
  MoveMetric metric = MoveMetric::step;
  int threads = 0;
  std::string spillDirectory;
};

// A whole number from 1 to `most`, written in decimal digits alone.
bool parseWholeNumber(const char* text, unsigned long long most, unsigned long long& value) {
  if (*text == '\0') return false;
  unsigned long long number = 0;
  for (const char* c = text; *c; ++c) {
    if (*c < '0' || *c > '9') return false;
    number = number * 10 + static_cast<unsigned long long>(*c - '0');
    if (number > most) return false;
  }
  if (number == 0) return false;
  value = number;
  return true;
}

bool parseMegabytes(const char* text, size_t& bytes) {
  unsigned long long megabytes;
  if (!parseWholeNumber(text, 1ull << 40, megabytes)) return false;
  bytes = static_cast<size_t>(megabytes) << 20;
  return true;
}

bool parseThreads(const char* text, int& threads) {
  unsigned long long value;
  if (!parseWholeNumber(text, 256, value)) return false;
  threads = static_cast<int>(value);
  return true;
}

// Whether `directory` is a folder the spill files can be made in.
bool usableFolder(const char* directory) {
  struct stat info {};
  return *directory != '\0' && stat(directory, &info) == 0 && S_ISDIR(info.st_mode) &&
         access(directory, W_OK | X_OK) == 0;
}

bool parseMetric(const std::string& text, MoveMetric& metric) {
  const struct {
    const char* name;
    MoveMetric metric;
  } metrics[] = {
      {"step", MoveMetric::step}, {"line", MoveMetric::line}, {"path", MoveMetric::path}};
  for (const auto& known : metrics) {
    if (text == known.name) {
      metric = known.metric;
      return true;
    }
  }
  return false;
}

// One option: its name, whether a value follows it, and what it sets. A
// missing value reaches `apply` as an empty string; `apply` returns the
// message for a bad value, or nullptr.
struct Option {
  const char* name;
  bool takesValue;
  const char* (*apply)(Arguments& arguments, const char* value);
};

const Option options[] = {
    {"--stats", false,
     [](Arguments& a, const char*) -> const char* {
       a.stats = true;
       return nullptr;
     }},
    {"--moves", false,
     [](Arguments& a, const char*) -> const char* {
       a.moves = true;
       return nullptr;
     }},
    {"--boards", false,
     [](Arguments& a, const char*) -> const char* {
       a.boards = true;
       return nullptr;
     }},
    {"--max-memory", true,
     [](Arguments& a, const char* value) -> const char* {
       return parseMegabytes(value, a.memoryBudget)
                  ? nullptr
                  : "--max-memory needs a whole number of megabytes, at least 1";
     }},
    {"--metric", true,
     [](Arguments& a, const char* value) -> const char* {
       return parseMetric(value, a.metric) ? nullptr : "--metric needs step, line or path";
     }},
    {"--threads", true,
     [](Arguments& a, const char* value) -> const char* {
       return parseThreads(value, a.threads) ? nullptr
                                             : "--threads needs a whole number from 1 to 256";
     }},
    {"--spill", true,
     [](Arguments& a, const char* value) -> const char* {
       a.spillDirectory = value;
       return usableFolder(value) ? nullptr : "--spill needs a folder that can be written to";
     }},
};

int usageError(const std::string& message) {
  std::fprintf(stderr, "cavel-solve: %s\nTry 'cavel-solve --help'.\n", message.c_str());
  return exitBadInput;
}

enum class Parsed { run, help, bad };

// Reads the command line into `arguments`; a usage error is reported here.
Parsed parseArguments(int argc, char** argv, Arguments& arguments) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--help") return Parsed::help;
    if (argument.size() <= 1 || argument[0] != '-') {
      arguments.paths.push_back(argument);
      continue;
    }
    const Option* option = std::find_if(std::begin(options), std::end(options),
                                        [&](const Option& o) { return argument == o.name; });
    if (option == std::end(options)) {
      usageError("unknown option '" + argument + "'");
      return Parsed::bad;
    }
    const char* value = "";
    if (option->takesValue && i + 1 < argc) value = argv[++i];
    if (const char* message = option->apply(arguments, value)) {
      usageError(message);
      return Parsed::bad;
    }
  }
  if (arguments.paths.empty()) {
    usageError("no puzzle file given");
    return Parsed::bad;
  }
  return Parsed::run;
}

void printStats(const SolveStats& stats, double seconds) {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::fprintf(stderr,
               "positions %llu\nexpansions %llu\nseconds %.3f\n"
               "search peak memory %.1f MB\nprocess peak resident memory %.1f MB\n"
               "stored bytes per position %.2f\n",
               static_cast<unsigned long long>(stats.positions),
               static_cast<unsigned long long>(stats.expanded), seconds,
               stats.peakBytes / 1048576.0, usage.ru_maxrss / 1024.0,
               stats.positions ? static_cast<double>(stats.storedBytes) / stats.positions : 0.0);
}

void printSolution(const BoardState& start, const SolveResult& result, const Arguments& arguments) {
  const std::vector<uint8_t>& log = result.solution.moves;
  std::printf("moves %zu\n%s\n", result.stepsPerMove.size(), formatMoveLog(log).c_str());
  if (arguments.moves) std::fputs(formatCountedMoves(log, result.stepsPerMove).c_str(), stdout);
  if (arguments.boards) {
    std::fputs(formatSolutionBoards(start, log, result.stepsPerMove).c_str(), stdout);
  }
}

// Solves the puzzle at `path` and prints its outcome; returns its exit status.
int solveFile(const std::string& path, const Arguments& arguments) {
  PuzzleError error;
  const std::optional<BoardState> board = readPuzzleFile(path, error);
  if (!board) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", formatPuzzleError(path, error).c_str());
    return exitBadInput;
  }

  SolveOptions options;
  options.memoryBudget = arguments.memoryBudget;
  options.metric = arguments.metric;
  options.threads = arguments.threads;
  options.spillDirectory = arguments.spillDirectory;
  const auto start = std::chrono::steady_clock::now();
  const SolveResult result = solveBoard(*board, options);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  if (arguments.stats) printStats(result.stats, elapsed.count());

  switch (result.outcome) {
    case SolveOutcome::solved:
      printSolution(*board, result, arguments);
      return exitSolved;
    case SolveOutcome::noSolution:
      std::printf("no solution\n");
      return exitNoSolution;
    case SolveOutcome::outOfMemory:
      std::fflush(stdout);
      std::fprintf(
          stderr,
          "cavel-solve: the search stopped at its memory budget of %.0f MB after %llu "
          "positions; try a larger --max-memory\n",
          (arguments.memoryBudget ? arguments.memoryBudget : result.stats.peakBytes) / 1048576.0,
          static_cast<unsigned long long>(result.stats.positions));
      return exitOutOfMemory;
    case SolveOutcome::spillFailed:
    case SolveOutcome::failed:
      std::fflush(stdout);
      std::fprintf(stderr, "cavel-solve: the search stopped: %s\n", result.failure.c_str());
      return exitOutOfMemory;
    case SolveOutcome::stopped:
      break;
  }
  std::fflush(stdout);
  std::fprintf(stderr, "cavel-solve: the search stopped\n");
  return exitOutOfMemory;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  switch (parseArguments(argc, argv, arguments)) {
    case Parsed::help:
      std::fputs(usage, stdout);
      return exitSolved;
    case Parsed::bad:
      return exitBadInput;
    case Parsed::run:
      break;
  }
  const bool several = arguments.paths.size() > 1;
  int status = exitSolved;
  for (const std::string& path : arguments.paths) {
    if (several) std::printf("==> %s <==\n", puzzleFileName(path).c_str());
    status = std::max(status, solveFile(path, arguments));
  }
  return status;
}
