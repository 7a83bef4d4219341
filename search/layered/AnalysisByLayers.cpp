// The analysis of the whole set of positions a layout reaches: layers from
// the layout until none is left, then layers from every goal position of
// the set at once (docs/layered-search.md).
#include <algorithm>

#include "SearchByLayers.h"
#include "keys/CompactCodec.h"
#include "search/core/RootCells.h"

template <typename Codec, typename CellMask>
AnalysisResult SearchByLayers<Codec, CellMask>::analyze(const uint8_t* rootCells) {
  AnalysisResult result;
  KeyBuffer<Key> goals(&budget_);
  const Key rootKey = codec_.encode(rootCells);
  if (!addLayer(&rootKey, 1)) return analysisEnded(result, failed());
  // Each layer of the set from the layout: only the last two are kept.
  while (!layers_.back().empty()) {
    result.layers.push_back(layers_.back().size());
    result.positions += layers_.back().size();
    if (!collectGoals(layers_.back(), goals) || !sweepLayer()) {
      return analysisEnded(result, failed());
    }
    if (layers_.size() >= 3) layers_[layers_.size() - 3].clear();
  }
  result.goals = goals.size();
  if (goals.empty()) return analysisEnded(result, ended(SolveOutcome::solved));
  // From every goal at once: the layers of the distance to the nearest
  // goal, which may hold neighbours in every metric.
  Key* const begin = goals.data();
  std::sort(begin, begin + goals.size());
  layers_.clear();
  blockBacks_.clear();
  sameLayer_ = true;
  if (!addLayer(begin, goals.size())) return analysisEnded(result, failed());
  goals.release();
  int distance = 0;
  for (;;) {
    result.hardestPositions = layers_.back().size();
    const Key first = layers_.back().block(0).first;
    if (!sweepLayer()) return analysisEnded(result, failed());
    if (layers_.back().empty()) {
      result.hardest = distance;
      result.hardestStart = boardAt(first);
      return analysisEnded(result, ended(SolveOutcome::solved));
    }
    ++distance;
    if (layers_.size() >= 3) layers_[layers_.size() - 3].clear();
  }
}

// Makes the next layer from the newest, whole.
template <typename Codec, typename CellMask>
bool SearchByLayers<Codec, CellMask>::sweepLayer() {
  const SortedBlocks<Key>& parents = layers_.back();
  expansion_.expand(parents, blockBacks_, {}, NearGoal::mixIn, [] { return false; });
  return !control_.halted() && !spillReadFailed() && mergeLayer(parents);
}

// Adds the goal positions of `layer` to `goals`: those of one key range.
template <typename Codec, typename CellMask>
bool SearchByLayers<Codec, CellMask>::collectGoals(const SortedBlocks<Key>& layer,
                                                   KeyBuffer<Key>& goals) {
  if (!hasGoal_) return true;
  for (RunCursor<Key> cursor(&layer, &goalFirst_, nullptr);
       cursor.valid() && !(goalLast_ < cursor.key()); cursor.next()) {
    if (!goals.push(cursor.key())) {
      control_.fail(SolveOutcome::outOfMemory);
      return false;
    }
  }
  return true;
}

// The root's pieces at the places of `key`: the pieces of a group, in the
// root's order, take the group's places in the order of their origins.
template <typename Codec, typename CellMask>
BoardState SearchByLayers<Codec, CellMask>::boardAt(const Key& key) const {
  typename Codec::Decoded d;
  codec_.decode(key, d);
  int taken[maxPieceGroups] = {};
  uint8_t cells[maxLoggedPieces];
  for (int i = 0; i < groups_.pieceCount; ++i) {
    const int g = i == 0 ? 0 : groups_.groupOfLabel[i];
    cells[i] = d.cell[groups_.groups[g].first + taken[g]++];
  }
  BoardState board = root_;
  placeAtCells(cells, board);
  return board;
}

template <typename Codec, typename CellMask>
AnalysisResult SearchByLayers<Codec, CellMask>::analysisEnded(AnalysisResult& result,
                                                              const SolveResult& ending) {
  result.outcome = ending.outcome;
  result.stats = ending.stats;
  result.failure = ending.failure;
  return result;
}

#define INSTANTIATE(Key, CellMask)                                                        \
  template AnalysisResult SearchByLayers<CompactCodec<Key, CellMask>, CellMask>::analyze( \
      const uint8_t*);
FOR_EACH_LAYERED_CODEC(INSTANTIATE)
