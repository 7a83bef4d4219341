// Google Benchmark of the search on the sample puzzles.
// Run from the source root (or set CAVEL_PUZZLES to the puzzle folder):
//   build/SolverBenchmark --benchmark_filter=classic
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "puzzle/PuzzleFile.h"
#include "search/Solver.h"

namespace {

std::string puzzleDir() {
  const char* dir = std::getenv("CAVEL_PUZZLES");
  return dir ? dir : "data/puzzles";
}

void solvePuzzle(benchmark::State& state, const std::string& name) {
  PuzzleError error;
  const std::string path = puzzleDir() + "/" + name + ".txt";
  const std::optional<BoardState> board = readPuzzleFile(path, error);
  if (!board) {
    state.SkipWithError((path + ": " + error.message).c_str());
    return;
  }
  SolveStats stats;
  for (auto _ : state) {
    const SolveResult result = solveBoard(*board);
    benchmark::DoNotOptimize(result.solution.moves.data());
    stats = result.stats;
  }
  state.counters["positions"] = static_cast<double>(stats.positions);
  state.counters["positions/s"] = benchmark::Counter(
      static_cast<double>(stats.positions) * state.iterations(), benchmark::Counter::kIsRate);
  state.counters["bytes/position"] =
      static_cast<double>(stats.peakBytes) / static_cast<double>(stats.positions);
}

}  // namespace

BENCHMARK_CAPTURE(solvePuzzle, classic, std::string("classic"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(solvePuzzle, random6x5_0, std::string("random6x5-0"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(solvePuzzle, random6x5_10, std::string("random6x5-10"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(solvePuzzle, random6x5_14, std::string("random6x5-14"))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

BENCHMARK_MAIN();
