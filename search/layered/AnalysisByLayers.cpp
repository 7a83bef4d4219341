// The analysis of the whole set of positions a layout reaches: layers from
// the layout until none is left, then layers from every goal position of
// the set at once (docs/layered-search.md).
#include <algorithm>
#include <memory>

#include "SearchByLayers.h"
#include "keys/CompactCodec.h"
#include "runs/KeyMerge.h"
#include "search/core/RootCells.h"

template <typename Codec, typename CellMask>
AnalysisResult SearchByLayers<Codec, CellMask>::analyze(const uint8_t* rootCells) {
  AnalysisResult result;
  KeyBuffer<Key> goals(&budget_);
  // On disk the goals go to sorted runs as they are found, so that memory
  // does not grow with them.
  const RecordFormat<Key> goalFormat(expansion_.format().keyBits(), 0);
  std::unique_ptr<ChildRuns<Key>> spilledGoals;
  if (storage_.spills()) {
    spilledGoals = std::make_unique<ChildRuns<Key>>(
        goalFormat, std::max<size_t>(budget_.limit() / 16 / sizeof(Key), 4096), budget_, control_,
        storage_);
  }
  const Key rootKey = codec_.encode(rootCells);
  if (!addLayer(&rootKey, 1)) return analysisEnded(result, failed());
  // Each layer of the set from the layout: only the last two are kept.
  while (!layers_.back().empty()) {
    result.layers.push_back(layers_.back().size());
    result.positions += layers_.back().size();
    if (!collectGoals(layers_.back(), goals, spilledGoals.get()) || !sweepLayer()) {
      return analysisEnded(result, failed());
    }
    if (layers_.size() >= 3) layers_[layers_.size() - 3].clear();
  }
  result.goals = goals.size();
  if (spilledGoals) {
    result.goals = spilledGoals->records().size();
    for (const SortedBlocks<Key>& run : spilledGoals->runs()) result.goals += run.size();
  }
  if (result.goals == 0) return analysisEnded(result, ended(SolveOutcome::solved));
  // From every goal at once: the layers of the distance to the nearest
  // goal, which may hold neighbours in every metric.
  layers_.clear();
  blockBacks_.clear();
  sameLayer_ = true;
  if (spilledGoals) {
    if (!addLayerOfRuns(*spilledGoals)) return analysisEnded(result, failed());
    spilledGoals.reset();
  } else {
    Key* const begin = goals.data();
    std::sort(begin, begin + goals.size());
    if (!addLayer(begin, goals.size())) return analysisEnded(result, failed());
    goals.release();
  }
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
                                                   KeyBuffer<Key>& goals, ChildRuns<Key>* spilled) {
  if (!hasGoal_) return true;
  for (RunCursor<Key> cursor(&layer, &goalFirst_, nullptr);
       cursor.valid() && !(goalLast_ < cursor.key()); cursor.next()) {
    if (spilled) {
      if (!spilled->makeRoom(1)) return false;
      spilled->records().push(cursor.key());  // within the room made
      continue;
    }
    if (!goals.push(cursor.key())) {
      control_.fail(SolveOutcome::outOfMemory);
      return false;
    }
  }
  return true;
}

// Stores the keys of `runs` and of its sorted buffer, distinct keys each
// once, as the next layer, written to disk as they are merged.
template <typename Codec, typename CellMask>
bool SearchByLayers<Codec, CellMask>::addLayerOfRuns(ChildRuns<Key>& runs) {
  if (!runs.sort(runs.records())) return false;
  runs.releaseScratch();
  std::vector<std::unique_ptr<KeySource<Key>>> sources;
  for (const SortedBlocks<Key>& run : runs.runs()) {
    sources.push_back(std::make_unique<KeySource<Key>>(&run, nullptr, nullptr));
  }
  sources.push_back(std::make_unique<KeySource<Key>>(runs.records().begin(), runs.records().end()));
  std::string reason;
  const std::shared_ptr<SpillFile> file = SpillFile::open(storage_, reason);
  if (!file) {
    control_.fail(SolveOutcome::spillFailed, reason);
    return false;
  }
  BlockWriter<Key> writer(&budget_);
  writer.spillTo(file);
  const bool ok = mergeSources(sources, [&](const Key& key) {
    if (writer.append(key)) return true;
    control_.fail(writer.failure());
    return false;
  });
  for (const SortedBlocks<Key>& run : runs.runs()) {
    if (run.readFailed()) control_.fail(SolveOutcome::spillFailed, spillReadFailure);
  }
  if (!ok || control_.halted()) return false;
  BlockWriter<Key>* const parts[] = {&writer};
  return addLayer(parts, 1, file);
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
