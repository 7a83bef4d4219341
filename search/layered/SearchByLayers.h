// One search by layers, from the first layer to the goal's: the layers
// kept, the expansion of each into the next, the merge that makes it, and the
// walk back to the answer. The design note is docs/layered-search.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "GoalWatch.h"
#include "LayerBacks.h"
#include "LayerExpansion.h"
#include "LayeredSearch.h"
#include "NearGoalPart.h"
#include "runs/SortedBlocks.h"
#include "search/core/BoardGeometry.h"
#include "search/core/PieceGroups.h"
#include "search/core/SearchControl.h"
#include "search/core/ThreadTeam.h"
#include "search/memory/KeyBuffer.h"

// What the layers are made for: the answer, or the whole set of positions.
enum class LayeredTask { solve, analyze };

template <typename Codec, typename CellMask>
class SearchByLayers {
  using Key = typename Codec::KeyType;

 public:
  SearchByLayers(const BoardState& root, const SolveOptions& options, const LayeredTuning& tuning,
                 LayeredTask task, const PieceGroups& groups,
                 const BoardGeometry<CellMask>& geometry, const Codec& codec, MemoryBudget& budget);

  // Searches from the root, whose pieces stand at `rootCells` in its order.
  SolveResult run(const uint8_t* rootCells);
  // Analyses the set of positions the root reaches (AnalysisByLayers.cpp).
  AnalysisResult analyze(const uint8_t* rootCells);

 private:
  // The key ranges of the layer being built, each written by one thread at a
  // time; apart in memory, so that threads do not share cache lines. Their
  // back moves go to the buffer of the thread that merged them, from
  // `backsFrom` on: one buffer a thread, kept from layer to layer, grows
  // seldom and faults little.
  // On disk, the part's keys go to the layer's file as they are merged, and
  // its back moves beside them to the layer's file of them.
  struct alignas(128) Part {
    explicit Part(MemoryBudget* budget) : keys(budget) {}
    BlockWriter<Key> keys;
    int thread = 0;
    size_t backsFrom = 0;
  };
  struct alignas(128) ThreadBacks {
    explicit ThreadBacks(MemoryBudget* budget) : backs(budget) {}
    KeyBuffer<uint32_t> backs;
  };
  // Key ranges, first to last.
  using KeyRanges = std::vector<std::pair<Key, Key>>;

  bool isGoal(const Key& key) const {
    return hasGoal_ && !(key < goalFirst_) && !(goalLast_ < key);
  }
  bool goalsNextTo(const SortedBlocks<Key>& layer, std::vector<Key>& goals);
  bool spillReadFailed();
  bool addLayer(BlockWriter<Key>* const* parts, size_t count,
                const std::shared_ptr<SpillFile>& spilledTo = nullptr);
  bool addLayer(const Key* keys, size_t count);
  bool buildNextLayer(bool& nextToGoal);
  bool looksAhead(const SortedBlocks<Key>& layer) const;
  bool nearPart();
  bool mergeLayer(const SortedBlocks<Key>& parents);
  bool mergeRange(const Key* low, const Key* high, Part& part, KeyBuffer<uint32_t>& backs);
  bool keepBacks(size_t count);
  SolveResult ended(SolveOutcome outcome);
  SolveResult failed();
  // The analysis: a whole layer made from the newest, without a watch for
  // the goal; the goals of a layer; the board of a key; the result once
  // `ended()` or `failed()` has released what the search held.
  bool sweepLayer();
  bool collectGoals(const SortedBlocks<Key>& layer, KeyBuffer<Key>& goals, ChildRuns<Key>* spilled);
  bool addLayerOfRuns(ChildRuns<Key>& runs);
  BoardState boardAt(const Key& key) const;
  AnalysisResult analysisEnded(AnalysisResult& result, const SolveResult& ending);
  SolveResult solved(const uint8_t* rootCells, const std::vector<Key>& goals, size_t moves);

  const BoardState& root_;
  const PieceGroups& groups_;
  const BoardGeometry<CellMask>& geometry_;
  const Codec& codec_;
  MemoryBudget& budget_;
  SearchControl control_;
  ThreadTeam team_;
  const RunStorage storage_;
  const MoveMetric metric_;
  const GoalWatch<CellMask> watch_;
  // Whether children may lie in their parents' layer: in the metrics whose
  // moves can stay within one, and in every metric from several positions
  // at once.
  bool sameLayer_;
  LayerExpansion<Codec, CellMask> expansion_;
  std::vector<SortedBlocks<Key>> layers_;
  std::vector<Part> parts_;
  std::vector<ThreadBacks> threadBacks_;
  NearGoalPart<Key> near_;  // when looking ahead
  // Where the back moves of each block of the newest layer lie: in the
  // threads' buffers that the merge wrote them to, or on disk.
  LayerBacks blockBacks_;
  // On disk, the files the layer being merged goes to: keys and back moves.
  std::shared_ptr<SpillFile> layerFile_;
  std::shared_ptr<SpillFile> backsFile_;
  BudgetCharge blockBacksCharge_;
  bool hasGoal_ = false;
  Key goalFirst_{};
  Key goalLast_{};
  // Key ranges of the positions whose piece 0 stands within two moves of
  // the goal (near it), and within three.
  KeyRanges nearGoal_;
  KeyRanges aheadOfGoal_;
  LookAhead lookAhead_ = LookAhead::automatic;
};
