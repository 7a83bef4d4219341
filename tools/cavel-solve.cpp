// cavel-solve: solves puzzle files from the shell, without a window.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "BuildInfo.h"
#include "puzzle/BoardText.h"
#include "puzzle/MoveLogText.h"
#include "puzzle/PuzzleFile.h"
#include "search/Solver.h"
#include "solve/AnalysisReport.h"
#include "solve/JsonObject.h"
#include "solve/ProgressLine.h"
#include "solve/SolveArguments.h"

namespace {

// How a file's outcome is named in its JSON object.
const char* statusName(SolveOutcome outcome) {
  switch (outcome) {
    case SolveOutcome::solved:
      return "solved";
    case SolveOutcome::noSolution:
      return "no_solution";
    case SolveOutcome::outOfMemory:
      return "out_of_memory";
    case SolveOutcome::spillFailed:
      return "spill_failed";
    case SolveOutcome::failed:
      return "failed";
    case SolveOutcome::stopped:
      break;
  }
  return "stopped";
}

double processPeakBytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss * 1024.0;
}

double storedBytesPerPosition(const SolveStats& stats) {
  return stats.positions ? static_cast<double>(stats.storedBytes) / stats.positions : 0.0;
}

void printStats(const SolveStats& stats, double seconds) {
  std::fprintf(stderr,
               "positions %llu\nexpansions %llu\nseconds %.3f\n"
               "search peak memory %.1f MB\nprocess peak resident memory %.1f MB\n"
               "stored bytes per position %.2f\n",
               static_cast<unsigned long long>(stats.positions),
               static_cast<unsigned long long>(stats.expanded), seconds,
               stats.peakBytes / 1048576.0, processPeakBytes() / 1048576.0,
               storedBytesPerPosition(stats));
  // Which of the layered search's keys ran, for the benchmarks.
  if (stats.keyWords == 0) {
    std::fputs("key width none: the search ended before it chose its keys\n", stderr);
  } else {
    std::fprintf(stderr, "key width %d bits (%d word%s), %d used\n", 64 * stats.keyWords,
                 stats.keyWords, stats.keyWords == 1 ? "" : "s", stats.keyBits);
  }
}

std::string jsonStats(const SolveStats& stats, double seconds) {
  JsonObject json;
  json.addNumber("positions", static_cast<uint64_t>(stats.positions));
  json.addNumber("expansions", static_cast<uint64_t>(stats.expanded));
  json.addNumber("seconds", seconds);
  json.addNumber("search_peak_bytes", static_cast<uint64_t>(stats.peakBytes));
  json.addNumber("process_peak_resident_bytes", static_cast<uint64_t>(processPeakBytes()));
  json.addNumber("stored_bytes_per_position", storedBytesPerPosition(stats));
  if (stats.keyWords == 0) {  // ended before the keys were chosen
    json.addRaw("key_bits", "null");
    json.addRaw("key_words", "null");
    json.addRaw("key_bits_used", "null");
  } else {
    json.addNumber("key_bits", static_cast<uint64_t>(64 * stats.keyWords));
    json.addNumber("key_words", static_cast<uint64_t>(stats.keyWords));
    json.addNumber("key_bits_used", static_cast<uint64_t>(stats.keyBits));
  }
  return json.text();
}

// [{"piece":3,"directions":["right","right","up"]},...]: one object per
// counted move.
std::string jsonMoves(const std::vector<uint8_t>& log, const std::vector<uint16_t>& stepsPerMove) {
  std::string moves = "[";
  size_t first = 0;
  for (const uint16_t steps : stepsPerMove) {
    std::string directions = "[";
    for (size_t k = first; k < first + steps && k < log.size(); ++k) {
      if (k > first) directions += ',';
      directions += jsonString(directionName(log[k]));
    }
    JsonObject move;
    move.addNumber("piece", static_cast<uint64_t>(log[first] & 0x3F));
    move.addRaw("directions", directions + "]");
    if (moves.size() > 1) moves += ',';
    moves += move.text();
    first += steps;
  }
  return moves + "]";
}

void printSolution(const BoardState& start, const SolveResult& result,
                   const SolveArguments& arguments) {
  const std::vector<uint8_t>& log = result.solution.moves;
  std::printf("moves %zu\n%s\n", result.stepsPerMove.size(), formatMoveLog(log).c_str());
  if (arguments.moves) std::fputs(formatCountedMoves(log, result.stepsPerMove).c_str(), stdout);
  if (arguments.boards) {
    std::fputs(formatSolutionBoards(start, log, result.stepsPerMove).c_str(), stdout);
  }
}

void addSolution(JsonObject& json, const SolveResult& result, const SolveArguments& arguments) {
  const std::vector<uint8_t>& log = result.solution.moves;
  json.addNumber("move_count", static_cast<uint64_t>(result.stepsPerMove.size()));
  json.addString("move_bytes", formatMoveLog(log));
  if (arguments.moves) json.addRaw("moves", jsonMoves(log, result.stepsPerMove));
}

// A failure of one file: its message on standard error, after what standard
// output holds so far.
void reportFailure(const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", message.c_str());
}

// Why a search that ended without an answer stopped.
std::string stopMessage(SolveOutcome outcome, const SolveStats& stats, const std::string& failure,
                        const SolveArguments& arguments) {
  char message[256];
  switch (outcome) {
    case SolveOutcome::outOfMemory:
      std::snprintf(message, sizeof message,
                    "cavel-solve: the search stopped at its memory budget of %.0f MB after %llu "
                    "positions; try a larger --max-memory",
                    (arguments.memoryBudget ? arguments.memoryBudget : stats.peakBytes) / 1048576.0,
                    static_cast<unsigned long long>(stats.positions));
      return message;
    case SolveOutcome::spillFailed:
    case SolveOutcome::failed:
      return "cavel-solve: the search stopped: " + failure;
    default:
      return "cavel-solve: the search stopped";
  }
}

int exitStatusOf(SolveOutcome outcome) {
  switch (outcome) {
    case SolveOutcome::solved:
      return exitSolved;
    case SolveOutcome::noSolution:
      return exitNoSolution;
    default:
      return exitOutOfMemory;
  }
}

// The label of the progress line: the file's name without its folders.
std::string progressLabel(const std::string& path) {
  const std::string name = puzzleFileName(path);
  const size_t slash = name.find_last_of('/');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

// The board of the puzzle at `path`; or nothing, its error reported (and
// its JSON line printed).
std::optional<BoardState> readBoard(const std::string& path, const SolveArguments& arguments,
                                    JsonObject& json) {
  PuzzleError error;
  std::optional<BoardState> board = readPuzzleFile(path, error);
  if (board) return board;
  const std::string message = formatPuzzleError(path, error);
  reportFailure(message);
  if (arguments.json) {
    json.addString("status", "bad_input");
    json.addNumber("line", static_cast<uint64_t>(std::max(error.line, 0)));
    json.addString("message", message);
    std::printf("%s\n", json.text().c_str());
  }
  return std::nullopt;
}

// The search's options from the command line, with the progress line on a
// terminal.
SolveOptions searchOptions(const std::string& path, const SolveArguments& arguments,
                           std::unique_ptr<ProgressLine>& progress) {
  SolveOptions options;
  options.memoryBudget = arguments.memoryBudget;
  options.metric = arguments.metric;
  options.threads = arguments.threads;
  options.spillDirectory = arguments.spillDirectory;
  if (!arguments.quiet && isatty(STDERR_FILENO)) {
    progress = std::make_unique<ProgressLine>(stderr, progressLabel(path));
    options.progress = [&progress](const SolveStats& stats) { progress->update(stats); };
  }
  return options;
}

// Runs `search` with the command line's options and, on a terminal, the
// progress line, which is gone when it returns; `seconds` gets its time.
template <typename Search>
auto timedSearch(const std::string& path, const SolveArguments& arguments, Search search,
                 double& seconds) {
  std::unique_ptr<ProgressLine> progress;
  const SolveOptions options = searchOptions(path, arguments, progress);
  const auto start = std::chrono::steady_clock::now();
  auto result = search(options);
  seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (progress) progress->erase();
  return result;
}

// The JSON line's first members: the file and the metric.
JsonObject fileJson(const std::string& path, const SolveArguments& arguments) {
  JsonObject json;
  json.addString("file", puzzleFileName(path));
  json.addString("metric", metricName(arguments.metric));
  return json;
}

// Solves the puzzle at `path` and prints its outcome, as text or as one JSON
// line; returns its exit status.
int solveFile(const std::string& path, const SolveArguments& arguments) {
  JsonObject json = fileJson(path, arguments);
  const std::optional<BoardState> board = readBoard(path, arguments, json);
  if (!board) return exitBadInput;
  double seconds = 0;
  const SolveResult result = timedSearch(
      path, arguments, [&](const SolveOptions& options) { return solveBoard(*board, options); },
      seconds);

  if (arguments.json) {
    json.addString("status", statusName(result.outcome));
    if (result.outcome == SolveOutcome::solved) addSolution(json, result, arguments);
    if (arguments.stats) json.addRaw("stats", jsonStats(result.stats, seconds));
  } else if (arguments.stats) {
    printStats(result.stats, seconds);
  }

  switch (result.outcome) {
    case SolveOutcome::solved:
      if (!arguments.json) printSolution(*board, result, arguments);
      break;
    case SolveOutcome::noSolution:
      if (!arguments.json) std::printf("no solution\n");
      break;
    default: {
      const std::string message =
          stopMessage(result.outcome, result.stats, result.failure, arguments);
      reportFailure(message);
      if (arguments.json) json.addString("message", message);
    }
  }
  if (arguments.json) std::printf("%s\n", json.text().c_str());
  return exitStatusOf(result.outcome);
}

// Analyses the set of positions of the puzzle at `path` and prints what it
// holds, as text or as one JSON line; writes the hardest start when asked.
// Returns its exit status.
int analyzeFile(const std::string& path, const SolveArguments& arguments) {
  JsonObject json = fileJson(path, arguments);
  const std::optional<BoardState> board = readBoard(path, arguments, json);
  if (!board) return exitBadInput;
  double seconds = 0;
  const AnalysisResult analysis = timedSearch(
      path, arguments, [&](const SolveOptions& options) { return analyzeBoard(*board, options); },
      seconds);
  if (arguments.stats && !arguments.json) printStats(analysis.stats, seconds);
  if (analysis.outcome != SolveOutcome::solved) {
    const std::string message =
        stopMessage(analysis.outcome, analysis.stats, analysis.failure, arguments);
    reportFailure(message);
    if (arguments.json) {
      json.addString("status", statusName(analysis.outcome));
      json.addString("message", message);
      std::printf("%s\n", json.text().c_str());
    }
    return exitStatusOf(analysis.outcome);
  }
  if (arguments.json) {
    json.addString("status", "analyzed");
    addAnalysis(json, analysis);
    if (arguments.stats) json.addRaw("stats", jsonStats(analysis.stats, seconds));
    std::printf("%s\n", json.text().c_str());
  } else {
    std::fputs(formatAnalysis(analysis).c_str(), stdout);
  }
  if (arguments.hardestPath.empty()) return exitSolved;
  if (analysis.hardest < 0) {
    reportFailure("cavel-solve: no goal position in the set: " + arguments.hardestPath +
                  " not written");
    return exitSolved;
  }
  std::string error;
  if (!writeNewFile(arguments.hardestPath, hardestPuzzle(analysis, metricName(arguments.metric)),
                    error)) {
    reportFailure("cavel-solve: " + error);
    return exitBadInput;
  }
  return exitSolved;
}

// Opens /dev/null on any of the descriptors 0 to 2 that is closed, so that
// no file opened later takes its number (the answer would be written into
// a puzzle or a spill file); returns whether standard output was open.
bool guardStandardDescriptors() {
  bool outputOpen = true;
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    if (fd == STDOUT_FILENO) outputOpen = false;
    const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
      dup2(opened, fd);
      close(opened);
    }
  }
  return outputOpen;
}

int writeFailure(int error) {
  std::fprintf(stderr, "cavel-solve: cannot write to standard output%s%s\n", error ? ": " : "",
               error ? std::strerror(error) : "");
  return exitWriteFailed;
}

// Whether everything printed since errno was last cleared reached standard
// output; when it did not, says so on standard error. A write that failed
// while printing (output longer than the stream's buffer) left its reason
// in errno.
bool outputWritten() {
  const int earlier = errno;
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  const int error = flushed ? earlier : errno;
  if (flushed && !std::ferror(stdout)) return true;
  writeFailure(error);
  return false;
}

// A search that keeps its layers on disk holds one open file for each
// stored layer and each sorted run of the layer being built: on a long
// search, more than the usual soft limit of open files. The hard limit is
// the system's word on it; the soft one is only a default.
void allowOpenFilesUpToTheHardLimit() {
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) != 0 || files.rlim_cur == files.rlim_max) return;
  files.rlim_cur = files.rlim_max;
  setrlimit(RLIMIT_NOFILE, &files);
}

}  // namespace

int main(int argc, char** argv) {
  if (!guardStandardDescriptors()) return writeFailure(EBADF);
  SolveArguments arguments;
  switch (parseSolveArguments(argc, argv, arguments)) {
    case ParsedCommand::help:
      errno = 0;
      std::fputs(solveUsage, stdout);
      return outputWritten() ? exitSolved : exitWriteFailed;
    case ParsedCommand::version:
      errno = 0;
      std::printf("cavel-solve %s\n", CAVEL_VERSION);
      return outputWritten() ? exitSolved : exitWriteFailed;
    case ParsedCommand::bad:
      return exitBadInput;
    case ParsedCommand::run:
      break;
  }
  if (!arguments.spillDirectory.empty()) allowOpenFilesUpToTheHardLimit();
  const bool headers = arguments.paths.size() > 1 && !arguments.json;
  int status = exitSolved;
  for (const std::string& path : arguments.paths) {
    errno = 0;
    if (headers) std::printf("==> %s <==\n", puzzleFileName(path).c_str());
    status = std::max(
        status, arguments.analyze ? analyzeFile(path, arguments) : solveFile(path, arguments));
    if (!outputWritten()) return exitWriteFailed;
  }
  return status;
}
