#include "LayeredSearch.h"

#include <memory>
#include <new>
#include <type_traits>

#include "SearchByLayers.h"
#include "keys/CompactCodec.h"
#include "search/core/BoardGeometry.h"
#include "search/core/PieceGroups.h"
#include "search/core/RootCells.h"
#include "search/core/SearchControl.h"

namespace {

// Lays the board out for the search: the geometry, the groups and the codec
// whose keys fit, then runs `task` on it, task(search, rootCells).
template <typename Result, typename CellMask, typename Task>
Result withCodec(const BoardState& root, const SolveOptions& options, const LayeredTuning& tuning,
                 LayeredTask kind, Task task) {
  MemoryBudget budget(options.memoryBudget);
  Result outOfMemory;
  outOfMemory.outcome = SolveOutcome::outOfMemory;
  // The tables of a board take a few hundred kilobytes, charged like the
  // rest.
  BudgetCharge tables(&budget);
  if (!tables.add(sizeof(BoardGeometry<CellMask>) + sizeof(PieceGroups))) return outOfMemory;
  const auto geometry = std::make_unique<BoardGeometry<CellMask>>(root.size);
  const PieceGroups groups(root);
  uint8_t cells[maxLoggedPieces];
  if (!rootCells(root, *geometry, cells)) return Result();
  const auto search = [&](const auto& codec) {
    using Codec = std::decay_t<decltype(codec)>;
    SearchByLayers<Codec, CellMask> layers(root, options, tuning, kind, groups, *geometry, codec,
                                           budget);
    Result result = task(layers, cells);
    result.stats.keyWords = static_cast<int>(sizeof(typename Codec::KeyType) / sizeof(uint64_t));
    result.stats.keyBits = codec.keyBits();
    return result;
  };
  // The narrowest key that fits, with room for a back move if possible; a
  // codec is built only when those before it do not do: each fills tables.
  const LayerKeys keys = tuning.keys;
  if (keys == LayerKeys::compact || keys == LayerKeys::narrowest) {
    if (!tables.add(sizeof(CompactCodec<uint64_t, CellMask>))) return outOfMemory;
    const auto compact =
        std::make_unique<CompactCodec<uint64_t, CellMask>>(groups, *geometry, budget);
    if (compact->fits() && (keys == LayerKeys::compact || compact->keyBits() <= 56)) {
      return search(*compact);
    }
  }
  if (keys != LayerKeys::widest) {
    if (!tables.add(sizeof(CompactCodec<Key128, CellMask>))) return outOfMemory;
    const auto wide = std::make_unique<CompactCodec<Key128, CellMask>>(groups, *geometry, budget);
    if (wide->fits()) return search(*wide);
  }
  if (!tables.add(sizeof(CompactCodec<Key192, CellMask>))) return outOfMemory;
  const auto widest = std::make_unique<CompactCodec<Key192, CellMask>>(groups, *geometry, budget);
  if (widest->fits()) return search(*widest);
  // No layout of the largest board needs more (PositionCodecTest checks it).
  Result tooWide;
  tooWide.outcome = SolveOutcome::failed;
  tooWide.failure = "the board's positions do not fit the widest keys";
  return tooWide;
}

// Runs `task` on the board's layout with the cells it needs; what a throw
// outside the search's threads leaves is a failure of the result.
template <typename Result, typename Task>
Result withLayout(const BoardState& root, const SolveOptions& options, const LayeredTuning& tuning,
                  LayeredTask kind, Task task) {
  if (root.pieceCount() == 0 || root.pieceCount() > maxLoggedPieces) return Result();
  try {
    if (root.size.cellCount() <= 64) {
      return withCodec<Result, uint64_t>(root, options, tuning, kind, task);
    }
    return withCodec<Result, CellMask128>(root, options, tuning, kind, task);
  } catch (...) {
    const SearchFailure failure = failureOf(std::current_exception());
    Result result;
    result.outcome = failure.outcome;
    result.failure = failure.reason;
    return result;
  }
}

}  // namespace

SolveResult solveByLayers(const BoardState& root, const SolveOptions& options,
                          const LayeredTuning& tuning) {
  return withLayout<SolveResult>(
      root, options, tuning, LayeredTask::solve,
      [](auto& search, const uint8_t* cells) { return search.run(cells); });
}

AnalysisResult analyzeByLayers(const BoardState& root, const SolveOptions& options,
                               const LayeredTuning& tuning) {
  return withLayout<AnalysisResult>(
      root, options, tuning, LayeredTask::analyze,
      [](auto& search, const uint8_t* cells) { return search.analyze(cells); });
}
