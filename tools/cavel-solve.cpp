// cavel-solve: solves a puzzle file from the shell, without a window.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "puzzle/MoveLogText.h"
#include "puzzle/PuzzleFile.h"
#include "search/Solver.h"

namespace {

constexpr int exitSolved = 0;
constexpr int exitNoSolution = 1;
constexpr int exitBadInput = 2;
constexpr int exitOutOfMemory = 3;

const char usage[] =
    "Usage: cavel-solve [--stats] [--max-memory MB] [--threads N] [--spill DIR] FILE\n"
    "\n"
    "Finds the shortest solution of the sliding-block puzzle in FILE (or in\n"
    "standard input when FILE is '-'): the fewest one-cell moves that bring\n"
    "piece 0, the 2 by 2 square, to the two rightmost columns on rows 1 and 2.\n"
    "\n"
    "Puzzle file: 'size W H', then one 'piece S X Y' line per piece, the\n"
    "square (shape 0) first; the README describes the format in full.\n"
    "\n"
    "Output and exit status:\n"
    "  0  solved: 'moves N', then the N move bytes in hexadecimal on one line\n"
    "     (piece index in bits 0-5; bits 6-7: 0 right, 1 left, 2 up, 3 down)\n"
    "  1  'no solution'\n"
    "  2  bad input or usage: 'FILE:LINE: message' on standard error\n"
    "  3  the memory budget was reached before the search ended\n"
    "\n"
    "Options:\n"
    "  --stats           positions, expansions, seconds and peak memory on\n"
    "                    standard error\n"
    "  --max-memory MB   memory the search may hold (default: three quarters\n"
    "                    of the memory available at start)\n"
    "  --threads N       threads that search side by side (default: one per\n"
    "                    core); the answer never depends on it\n"
    "  --spill DIR       keep the positions found in files in DIR instead of\n"
    "                    in memory, so that disk bounds the largest puzzle; the\n"
    "                    files are gone when the search ends\n"
    "  --help            this text\n";

struct Arguments {
  std::string path;
  bool stats = false;
  size_t memoryBudget = 0;
  int threads = 0;
  std::string spillDirectory;
};

int usageError(const std::string& message) {
  std::fprintf(stderr, "cavel-solve: %s\nTry 'cavel-solve --help'.\n", message.c_str());
  return exitBadInput;
}

bool parseMegabytes(const char* text, size_t& bytes) {
  if (*text == '\0') return false;
  unsigned long long megabytes = 0;
  for (const char* c = text; *c; ++c) {
    if (*c < '0' || *c > '9') return false;
    megabytes = megabytes * 10 + (*c - '0');
    if (megabytes > (1ull << 40)) return false;
  }
  if (megabytes == 0) return false;
  bytes = static_cast<size_t>(megabytes) << 20;
  return true;
}

bool parseThreads(const char* text, int& threads) {
  if (*text == '\0') return false;
  int value = 0;
  for (const char* c = text; *c; ++c) {
    if (*c < '0' || *c > '9') return false;
    value = value * 10 + (*c - '0');
    if (value > 256) return false;
  }
  if (value == 0) return false;
  threads = value;
  return true;
}

// Why `directory` cannot take spill files, or nothing when it can.
std::string spillProblem(const std::string& directory) {
  struct stat info {};
  if (stat(directory.c_str(), &info) != 0) return std::strerror(errno);
  if (!S_ISDIR(info.st_mode)) return "not a folder";
  if (access(directory.c_str(), W_OK | X_OK) != 0) return std::strerror(errno);
  return std::string();
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

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  bool havePath = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--help") {
      std::fputs(usage, stdout);
      return exitSolved;
    }
    if (argument == "--stats") {
      arguments.stats = true;
    } else if (argument == "--max-memory") {
      if (i + 1 == argc || !parseMegabytes(argv[i + 1], arguments.memoryBudget)) {
        return usageError("--max-memory needs a whole number of megabytes, at least 1");
      }
      ++i;
    } else if (argument == "--threads") {
      if (i + 1 == argc || !parseThreads(argv[i + 1], arguments.threads)) {
        return usageError("--threads needs a whole number from 1 to 256");
      }
      ++i;
    } else if (argument == "--spill") {
      if (i + 1 == argc || argv[i + 1][0] == '\0') return usageError("--spill needs a folder");
      arguments.spillDirectory = argv[++i];
      const std::string problem = spillProblem(arguments.spillDirectory);
      if (!problem.empty()) return usageError("--spill " + arguments.spillDirectory + ": " + problem);
    } else if (argument.size() > 1 && argument[0] == '-') {
      return usageError("unknown option '" + argument + "'");
    } else if (havePath) {
      return usageError("one puzzle file only");
    } else {
      arguments.path = argument;
      havePath = true;
    }
  }
  if (!havePath) return usageError("no puzzle file given");

  const std::string shownName = arguments.path == "-" ? "<stdin>" : arguments.path;
  PuzzleError error;
  const std::optional<BoardState> board = readPuzzleFile(arguments.path, error);
  if (!board) {
    std::fprintf(stderr, "%s:%d: %s\n", shownName.c_str(), error.line, error.message.c_str());
    return exitBadInput;
  }

  SolveOptions options;
  options.memoryBudget = arguments.memoryBudget;
  options.threads = arguments.threads;
  options.spillDirectory = arguments.spillDirectory;
  const auto start = std::chrono::steady_clock::now();
  const SolveResult result = solveBoard(*board, options);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  if (arguments.stats) printStats(result.stats, elapsed.count());

  switch (result.outcome) {
    case SolveOutcome::solved: {
      const std::vector<uint8_t>& log = result.solution.moves;
      std::printf("moves %zu\n%s\n", log.size(), formatMoveLog(log).c_str());
      return exitSolved;
    }
    case SolveOutcome::noSolution:
      std::printf("no solution\n");
      return exitNoSolution;
    case SolveOutcome::outOfMemory:
      std::fprintf(
          stderr,
          "cavel-solve: the search stopped at its memory budget of %.0f MB after %llu "
          "positions; try a larger --max-memory\n",
          (arguments.memoryBudget ? arguments.memoryBudget : result.stats.peakBytes) / 1048576.0,
          static_cast<unsigned long long>(result.stats.positions));
      return exitOutOfMemory;
    case SolveOutcome::spillFailed:
      std::fprintf(stderr, "cavel-solve: the search stopped: %s\n", result.failure.c_str());
      return exitOutOfMemory;
    case SolveOutcome::stopped:
      break;
  }
  std::fprintf(stderr, "cavel-solve: the search stopped\n");
  return exitOutOfMemory;
}
