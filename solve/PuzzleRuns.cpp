#include "PuzzleRuns.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>

#include "AnalysisReport.h"
#include "InfoReport.h"
#include "JsonObject.h"
#include "ProgressLine.h"
#include "SearchReport.h"
#include "puzzle/LayoutCode.h"
#include "puzzle/PuzzleFile.h"
#include "search/Solver.h"

namespace {

// A failure of one file: its message on standard error, after what standard
// output holds so far.
void reportFailure(const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", message.c_str());
}

SpillUse spillUseOf(const SolveArguments& arguments) {
  return arguments.spillDirectory.empty() ? SpillUse::inMemory : SpillUse::spilled;
}

// The label of the progress line: the file's name without its folders.
std::string progressLabel(const std::string& path) {
  const std::string name = puzzleFileName(path);
  const size_t slash = name.find_last_of('/');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

// The board of the puzzle at `path` (a file, or a layout code), its code
// added to the JSON line and what the file says of its puzzle in `info`;
// or nothing, its error reported (and its JSON line printed).
std::optional<BoardState> readBoard(const std::string& path, const SolveArguments& arguments,
                                    JsonObject& json, PuzzleInfo& info) {
  PuzzleError error;
  std::optional<BoardState> board = readPuzzleArgument(path, info, error);
  if (board) {
    json.addString("code", layoutCode(*board));
    return board;
  }
  const std::string message = formatPuzzleError(path, error);
  reportFailure(message);
  if (arguments.json) {
    json.addString("status", "bad_input");
    if (!isLayoutCode(path)) json.addNumber("line", static_cast<uint64_t>(std::max(error.line, 0)));
    json.addString("message", message);
    std::printf("%s\n", json.text().c_str());
  }
  return std::nullopt;
}

std::optional<BoardState> readBoard(const std::string& path, const SolveArguments& arguments,
                                    JsonObject& json) {
  PuzzleInfo unused;
  return readBoard(path, arguments, json, unused);
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
    progress = std::make_unique<ProgressLine>(stderr, progressLabel(path), spillUseOf(arguments));
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

}  // namespace

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
    printStats(result.stats, seconds, spillUseOf(arguments));
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

int analyzeFile(const std::string& path, const SolveArguments& arguments) {
  JsonObject json = fileJson(path, arguments);
  const std::optional<BoardState> board = readBoard(path, arguments, json);
  if (!board) return exitBadInput;
  double seconds = 0;
  const AnalysisResult analysis = timedSearch(
      path, arguments, [&](const SolveOptions& options) { return analyzeBoard(*board, options); },
      seconds);
  if (arguments.stats && !arguments.json)
    printStats(analysis.stats, seconds, spillUseOf(arguments));
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

int printCode(const std::string& path, const SolveArguments& arguments) {
  JsonObject json;
  json.addString("file", puzzleFileName(path));
  const std::optional<BoardState> board = readBoard(path, arguments, json);
  if (!board) return exitBadInput;
  if (arguments.json) {
    json.addString("status", "coded");
    std::printf("%s\n", json.text().c_str());
  } else {
    std::printf("%s\n", layoutCode(*board).c_str());
  }
  return exitSolved;
}

int printInfo(const std::string& path, const SolveArguments& arguments) {
  JsonObject json;
  json.addString("file", puzzleFileName(path));
  PuzzleInfo info;
  const std::optional<BoardState> board = readBoard(path, arguments, json, info);
  if (!board) return exitBadInput;
  if (arguments.json) {
    json.addString("status", "described");
    addInfo(json, info, *board);
    std::printf("%s\n", json.text().c_str());
  } else {
    std::fputs(formatInfo(info, *board).c_str(), stdout);
  }
  return exitSolved;
}
