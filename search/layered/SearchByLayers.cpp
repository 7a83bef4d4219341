#include "SearchByLayers.h"

#include <algorithm>
#include <atomic>
#include <memory>

#include "BackMoves.h"
#include "LayerWalk.h"
#include "keys/CompactCodec.h"
#include "runs/KeyMerge.h"
#include "search/core/RootCells.h"
#include "search/core/StepMoves.h"

template <typename Codec, typename CellMask>
SearchByLayers<Codec, CellMask>::SearchByLayers(const BoardState& root, const SolveOptions& options,
                                                const LayeredTuning& tuning, LayeredTask task,
                                                const PieceGroups& groups,
                                                const BoardGeometry<CellMask>& geometry,
                                                const Codec& codec, MemoryBudget& budget)
    : root_(root),
      groups_(groups),
      geometry_(geometry),
      codec_(codec),
      budget_(budget),
      control_(options, budget_),
      team_(threadCount(options), [this](std::exception_ptr thrown) { control_.fail(thrown); }),
      storage_{&budget_, options.spillDirectory, &control_},
      metric_(options.metric),
      watch_(geometry, groups.shapeOf[0], options.metric,
             task == LayeredTask::solve ? WatchFor::exit : WatchFor::nothing),
      sameLayer_(options.metric != MoveMetric::step),
      expansion_(options.metric, codec, groups, geometry, watch_, budget_, control_, storage_,
                 team_, tuning.backMoveBytes,
                 tuning.childBufferBytes != 0
                     ? tuning.childBufferBytes
                     : std::min<size_t>(budget_.limit() / 16, size_t{32} << 20)),
      near_(budget_),
      blockBacksCharge_(&budget_),
      lookAhead_(tuning.lookAhead) {
  hasGoal_ = codec.pieceZeroRange(watch_.goalCell, goalFirst_, goalLast_);
  // In steps, the parents of children next to the goal stand within two
  // moves of it, those of children within two moves within three. In the
  // other metrics piece 0 goes far in one move: every parent may make one.
  if (!hasGoal_ || metric_ != MoveMetric::step || task != LayeredTask::solve) return;
  for (int cell = 0; cell < maxBoardCells; ++cell) {
    Key first, last;
    if (cell == watch_.goalCell || !codec.pieceZeroRange(cell, first, last)) continue;
    if (watch_.within[1][cell]) nearGoal_.push_back({first, last});
    if (watch_.within[2][cell]) aheadOfGoal_.push_back({first, last});
  }
}

template <typename Codec, typename CellMask>
SolveResult SearchByLayers<Codec, CellMask>::run(const uint8_t* rootCells) {
  const Key rootKey = codec_.encode(rootCells);
  BlockWriter<Key> first(&budget_);
  BlockWriter<Key>* const firstParts[] = {&first};
  if (!first.append(rootKey)) return ended(SolveOutcome::outOfMemory);
  if (!addLayer(firstParts, 1)) return failed();
  if (isGoal(rootKey)) return solved(rootCells, {rootKey}, 0);
  std::vector<Key> goals;
  if (!goalsNextTo(layers_.back(), goals)) return failed();
  for (;;) {
    if (spillReadFailed() || control_.halted()) return failed();
    if (!goals.empty()) return solved(rootCells, goals, layers_.size());
    bool nextToGoal = false;
    if (!buildNextLayer(nextToGoal)) return failed();
    if (nextToGoal) {
      if (!goalsNextTo(layers_.back(), goals)) return failed();
    } else if (layers_.back().empty()) {
      return ended(SolveOutcome::noSolution);
    }
  }
}

// The goals one move of piece 0 away from `layer`, sorted: its positions
// whose piece 0 can enter the exit, tried for that move. None of them lies
// in the layer before, which holds no goal. False when memory runs short.
template <typename Codec, typename CellMask>
bool SearchByLayers<Codec, CellMask>::goalsNextTo(const SortedBlocks<Key>& layer,
                                                  std::vector<Key>& goals) {
  goals.clear();
  if (!hasGoal_) return true;
  KeyBuffer<Key> found(&budget_);
  typename Codec::Decoded d;
  uint64_t scanned = 0;
  for (RunCursor<Key> cursor(&layer, nullptr, nullptr); cursor.valid(); cursor.next()) {
    if (++scanned % 65536 == 0) control_.poll();
    codec_.decode(cursor.key(), d);
    if (!watch_.entersGoalFrom(d.cell[0], d.occupied)) continue;
    int movedTo;
    if (!found.push(codec_.childKey(d, 0, static_cast<uint8_t>(watch_.goalCell), movedTo))) {
      control_.fail(SolveOutcome::outOfMemory);
      return false;
    }
  }
  Key* const begin = found.data();
  std::sort(begin, begin + found.size());
  goals.assign(begin, std::unique(begin, begin + found.size()));
  return true;
}

// Whether a layer's spill file could not be read back; if so the search
// halts for it.
template <typename Codec, typename CellMask>
bool SearchByLayers<Codec, CellMask>::spillReadFailed() {
  for (const SortedBlocks<Key>& layer : layers_) {
    if (layer.readFailed()) {
      control_.fail(SolveOutcome::spillFailed, spillReadFailure);
      return true;
    }
  }
  return false;
}

template <typename Codec, typename CellMask>
bool SearchByLayers<Codec, CellMask>::addLayer(BlockWriter<Key>* const* parts, size_t count,
                                               const std::shared_ptr<SpillFile>& spilledTo) {
  SortedBlocks<Key> layer;
  const std::optional<SearchFailure> storeFailure =
      spilledTo ? SortedBlocks<Key>::gather(parts, count, spilledTo, &budget_, layer)
                : SortedBlocks<Key>::concatenate(parts, count, storage_, layer);
  if (storeFailure) {
    control_.fail(*storeFailure);
    return false;
  }
  control_.positions += layer.size();
  control_.storedBytes += layer.storedBytes();
  layers_.push_back(std::move(layer));
  control_.layers = static_cast<uint32_t>(layers_.size());
  return true;
}

// Stores sorted `keys` as the next layer.
template <typename Codec, typename CellMask>
bool SearchByLayers<Codec, CellMask>::addLayer(const Key* keys, size_t count) {
  BlockWriter<Key> writer(&budget_);
  for (size_t i = 0; i < count; ++i) {
    if (!writer.append(keys[i])) {
      control_.fail(SolveOutcome::outOfMemory);
      return false;
    }
  }
  BlockWriter<Key>* const parts[] = {&writer};
  return addLayer(parts, 1);
}

// About the memory a position near the goal costs when looking ahead: its
// children kept apart and, of the next layer, those near the goal.
constexpr size_t nearBytesEach = 192;

// Whether expanding `layer` looks two layers ahead near the goal: when the
// positions near it are few, so that doing their part of the next layer
// twice costs little (see the design note).

template <typename Codec, typename CellMask>
bool SearchByLayers<Codec, CellMask>::looksAhead(const SortedBlocks<Key>& layer) const {
  if (nearGoal_.empty() || lookAhead_ == LookAhead::never) return false;
  if (lookAhead_ == LookAhead::always) return true;
  size_t near = 0;
  for (const auto& [first, last] : nearGoal_) {
    for (RunCursor<Key> cursor(&layer, &first, nullptr); cursor.valid() && !(last < cursor.key());
         cursor.next()) {
      ++near;
    }
  }
  // On disk, the part looked ahead stays in memory: only when it fits in a
  // share of the budget, so that memory does not grow with the layers.
  const bool fits = !storage_.spills() || near * nearBytesEach <= budget_.limit() / 16;
  return fits && 16 * near <= layer.size();
}

// The positions of the next layer near the goal, from the records the
// expansion kept apart, less the layer before.
template <typename Codec, typename CellMask>
bool SearchByLayers<Codec, CellMask>::nearPart() {
  std::vector<KeyRange<Key>> records = expansion_.nearRecords();
  const SortedBlocks<Key>* before = layers_.size() >= 2 ? &layers_[layers_.size() - 2] : nullptr;
  if (!near_.make(records, expansion_.format(), before)) {
    control_.fail(SolveOutcome::outOfMemory);
    return false;
  }
  return !spillReadFailed();
}

// Builds the next layer; or, when some of its positions are next to the
// goal (`nextToGoal`), only those: they are all the walk back needs of it;
// or, looking ahead, its positions near the goal and, of the layer after,
// those next to the goal.
template <typename Codec, typename CellMask>
bool SearchByLayers<Codec, CellMask>::buildNextLayer(bool& nextToGoal) {
  const SortedBlocks<Key>& parents = layers_.back();
  const bool ahead = looksAhead(parents);
  bool twoOn = false;  // the goal lies two layers on
  const NearGoal near = ahead ? NearGoal::keepApart : NearGoal::mixIn;
  nextToGoal = expansion_.expand(parents, blockBacks_, ahead ? aheadOfGoal_ : nearGoal_, near, [&] {
    if (!ahead) return false;
    if (!nearPart()) return true;
    twoOn = expansion_.probe(near_.keys().data(), near_.backs(), near_.keys().size());
    // Otherwise the rest of the layer is made without them.
    return twoOn;
  });
  bool ok = !control_.halted();
  if (ok && nextToGoal) {
    // None lies in the layer before: from there the goal would be nearer.
    std::vector<Key> nextTo;
    if (!expansion_.childrenNextToGoal(nextTo)) control_.fail(SolveOutcome::outOfMemory);
    ok = !control_.halted() && (!twoOn || addLayer(near_.keys().data(), near_.keys().size())) &&
         addLayer(nextTo.data(), nextTo.size());
    expansion_.clear();
  }
  if (2 * budget_.held() > budget_.limit()) near_.release();  // not kept when memory runs short
  // Nor on disk once a layer no longer looks ahead: a spilled search holds
  // the same memory whatever the puzzle, not what its first layers kept.
  if (!ahead && storage_.spills()) {
    near_.release();
    expansion_.releaseNearRecords();
  }
  if (!ok || nextToGoal) return ok;
  return mergeLayer(parents);
}

// Gives everything back; the result of a search that ended with `outcome`.
template <typename Codec, typename CellMask>
SolveResult SearchByLayers<Codec, CellMask>::ended(SolveOutcome outcome) {
  expansion_.release();
  near_.release();
  blockBacks_.clear();
  blockBacksCharge_.release();
  layerFile_.reset();
  backsFile_.reset();
  parts_.clear();
  threadBacks_.clear();
  layers_.clear();
  SolveResult result;
  result.outcome = outcome;
  result.stats = control_.stats();
  return result;
}

// The result of a search that halted: why, as the control recorded it.
template <typename Codec, typename CellMask>
SolveResult SearchByLayers<Codec, CellMask>::failed() {
  const SearchFailure failure = control_.failure();
  SolveResult result = ended(failure.outcome);
  result.failure = failure.reason;
  return result;
}

template <typename Codec, typename CellMask>
SolveResult SearchByLayers<Codec, CellMask>::solved(const uint8_t* rootCells,
                                                    const std::vector<Key>& goals, size_t moves) {
  expansion_.release();
  if (moves > 0) control_.positions += goals.size();
  uint8_t cells[maxLoggedPieces];
  std::vector<uint8_t> log;
  std::vector<uint16_t> stepsPerMove;
  {
    LayerWalk<Codec, CellMask> walk(metric_, groups_, geometry_, codec_, budget_);
    if (!walk.markBackwards(layers_, goals) ||
        !walk.forward(moves, rootCells, cells, log, stepsPerMove)) {
      return ended(SolveOutcome::outOfMemory);
    }
  }
  SolveResult result = ended(SolveOutcome::solved);
  result.solution = root_;
  result.solution.moves = std::move(log);
  result.stepsPerMove = std::move(stepsPerMove);
  placeAtCells(cells, result.solution);
  return result;
}

#define INSTANTIATE(Key, CellMask) \
  template class SearchByLayers<CompactCodec<Key, CellMask>, CellMask>;
FOR_EACH_LAYERED_CODEC(INSTANTIATE)
