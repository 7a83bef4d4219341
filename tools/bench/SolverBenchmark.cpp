// Google Benchmark of the two search engines on the sample puzzles.
// Run from the source root (or set CAVEL_PUZZLES to the puzzle folder):
//   build/SolverBenchmark --benchmark_filter=classic
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "puzzle/PuzzleFile.h"
#include "search/Solver.h"
#include "oracle/TableSearch.h"

namespace {

std::string puzzleDir() {
  const char* dir = std::getenv("CAVEL_PUZZLES");
  return dir ? dir : "data/puzzles";
}

// Solves the puzzle `name` with the engine and thread count the benchmark's
// arguments give: range(0) threads for the layered search, or 0 for the
// table search.
void solvePuzzle(benchmark::State& state, const std::string& name) {
  PuzzleError error;
  const std::string path = puzzleDir() + "/" + name + ".txt";
  const std::optional<BoardState> board = readPuzzleFile(path, error);
  if (!board) {
    state.SkipWithError((path + ": " + error.message).c_str());
    return;
  }
  SolveOptions options;
  options.threads = static_cast<int>(state.range(0));
  SolveStats stats;
  for (auto _ : state) {
    const SolveResult result =
        options.threads == 0 ? solveByTable(*board, options) : solveBoard(*board, options);
    benchmark::DoNotOptimize(result.solution.moves.data());
    stats = result.stats;
  }
  state.SetLabel(options.threads == 0 ? "table" : "layers");
  state.counters["positions"] = static_cast<double>(stats.positions);
  state.counters["positions/s"] = benchmark::Counter(
      static_cast<double>(stats.positions) * state.iterations(), benchmark::Counter::kIsRate);
  state.counters["peak bytes/position"] =
      static_cast<double>(stats.peakBytes) / static_cast<double>(stats.positions);
  state.counters["stored bytes/position"] =
      static_cast<double>(stats.storedBytes) / static_cast<double>(stats.positions);
}

}  // namespace

// Threads 1 and 2 for the layered search, 0 for the table search.
BENCHMARK_CAPTURE(solvePuzzle, classic, std::string("classic"))
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(solvePuzzle, random6x5_0, std::string("random6x5-0"))
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(solvePuzzle, random6x5_10, std::string("random6x5-10"))
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(solvePuzzle, random6x5_14, std::string("random6x5-14"))
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

BENCHMARK_MAIN();
