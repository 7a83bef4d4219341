// One search by layers, from the first layer to the goal's: the layers
// kept, the expansion of each into the next, the merge that makes it, and the
// walk back to the answer. The design note is in LayeredSearch.cpp.
#pragma once

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "KeyMerge.h"
#include "LayerExpansion.h"
#include "LayerWalk.h"
#include "MoveTables.h"
#include "PieceGroups.h"
#include "SearchControl.h"
#include "Solver.h"
#include "SortedBlocks.h"
#include "ThreadTeam.h"

template <typename Codec, typename CellMask>
class SearchByLayers {
  using Key = typename Codec::KeyType;

 public:
  SearchByLayers(const BoardState& root, const SolveOptions& options, const PieceGroups& groups,
                 const MoveTables<CellMask>& tables, const Codec& codec, MemoryBudget& budget)
      : root_(root),
        groups_(groups),
        tables_(tables),
        codec_(codec),
        budget_(budget),
        control_(options, budget_),
        team_(threadCount(options)),
        storage_{&budget_, options.spillDirectory},
        expansion_(codec, groups, tables, budget_, control_, storage_, team_, options.backMoveBytes,
                   options.childBufferBytes != 0
                       ? options.childBufferBytes
                       : std::min<size_t>(budget_.limit() / 16, size_t{32} << 20)) {
    lookAhead_ = options.lookAhead;
    goalCell_ = root.size.height >= 3 ? root.size.width + root.size.width - 2 : -1;
    hasGoal_ = codec.pieceZeroRange(goalCell_, goalFirst_, goalLast_);
    if (!hasGoal_) return;
    // Piece 0's places one move from the goal, then those within two and
    // three moves: the parents of children next to the goal stand within
    // two, those of children within two stand within three.
    const int shape = groups.shapeOf[0];
    bool within[3][maxBoardCells] = {};
    for (int direction = 0; direction < moveDirectionCount; ++direction) {
      const uint8_t from = tables.step[shape][goalCell_][direction ^ 1];
      if (from != noCell && tables.step[shape][from][direction] == goalCell_)
        within[0][from] = true;
    }
    for (int ring = 1; ring < 3; ++ring) {
      for (int cell = 0; cell < maxBoardCells; ++cell) {
        if (!within[ring - 1][cell]) continue;
        within[ring][cell] = true;
        for (int direction = 0; direction < moveDirectionCount; ++direction) {
          const uint8_t before = tables.step[shape][cell][direction];
          if (before != noCell && tables.step[shape][before][direction ^ 1] == cell) {
            within[ring][before] = true;
          }
        }
      }
    }
    expansion_.watchGoal(shape, goalCell_, within[1]);
    for (int cell = 0; cell < maxBoardCells; ++cell) {
      Key first, last;
      if (cell == goalCell_ || !codec.pieceZeroRange(cell, first, last)) continue;
      if (within[1][cell]) nearGoal_.push_back({first, last});
      if (within[2][cell]) aheadOfGoal_.push_back({first, last});
    }
  }

  SolveResult run(const uint8_t* rootCells);

 private:
  void releaseNear() {
    nearKeys_.release();
    nearBacks_.release();
    budget_.release(nearCharged_);
    nearCharged_ = 0;
  }
  bool isGoal(const Key& key) const {
    return hasGoal_ && !(key < goalFirst_) && !(goalLast_ < key);
  }
  std::vector<Key> goalsNextTo(const SortedBlocks<Key>& layer);
  bool spillReadFailed();
  bool addLayer(BlockWriter<Key>* const* parts, size_t count);
  bool buildNextLayer(bool& nextToGoal);
  bool looksAhead(const SortedBlocks<Key>& layer) const;
  bool nearPart();
  bool addLayer(const Key* keys, size_t count);
  bool mergeRange(const Key* low, const Key* high, BlockWriter<Key>& keys,
                  KeyBuffer<uint32_t>& backs);
  bool keepBacks(size_t count);
  SolveResult finish(SolveOutcome outcome);
  SolveResult solved(const uint8_t* rootCells, const std::vector<Key>& goals, size_t moves);

  const BoardState& root_;
  const PieceGroups& groups_;
  const MoveTables<CellMask>& tables_;
  const Codec& codec_;
  MemoryBudget& budget_;
  SearchControl control_;
  ThreadTeam team_;
  const RunStorage storage_;
  LayerExpansion<Codec, CellMask> expansion_;
  std::vector<SortedBlocks<Key>> layers_;
  // The key ranges of the layer being built, each written by one thread at a
  // time; apart in memory, so that threads do not share cache lines. Their
  // back moves go to the buffer of the thread that merged them, from
  // `backsFrom` on: one buffer a thread, kept from layer to layer, grows
  // seldom and faults little.
  struct alignas(128) Part {
    explicit Part(MemoryBudget* budget) : keys(budget) {}
    BlockWriter<Key> keys;
    int thread = 0;
    size_t backsFrom = 0;
  };
  std::vector<Part> parts_;
  struct alignas(128) ThreadBacks {
    KeyBuffer<uint32_t> backs;
  };
  std::vector<ThreadBacks> threadBacks_;
  size_t backsCharged_ = 0;
  // The positions of the next layer near the goal and their back moves
  // (nearPart), kept with their memory from layer to layer: made between
  // the expansion's two passes, on one thread, they would otherwise spend
  // most of their time taking fresh pages from the system.
  KeyBuffer<Key> nearKeys_;
  KeyBuffer<uint32_t> nearBacks_;
  size_t nearCharged_ = 0;
  // Where the back moves of each block of the newest layer start, in the
  // threads' buffers that the merge wrote them to.
  std::vector<const uint32_t*> blockBacks_;
  bool hasGoal_ = false;
  int goalCell_ = -1;
  Key goalFirst_{};
  Key goalLast_{};
  // Key ranges, first to last, of the positions whose piece 0 stands
  // within two moves of the goal (near it), and within three.
  std::vector<std::pair<Key, Key>> nearGoal_;
  std::vector<std::pair<Key, Key>> aheadOfGoal_;
  LookAhead lookAhead_ = LookAhead::automatic;
};

template <typename Codec, typename CellMask>
SolveResult SearchByLayers<Codec, CellMask>::run(const uint8_t* rootCells) {
  const Key rootKey = codec_.encode(rootCells);
  BlockWriter<Key> first(&budget_);
  BlockWriter<Key>* const firstParts[] = {&first};
  if (!first.append(rootKey) || !addLayer(firstParts, 1)) {
    return finish(control_.failure());
  }
  if (isGoal(rootKey)) return solved(rootCells, {rootKey}, 0);
  std::vector<Key> goals = goalsNextTo(layers_.back());
  for (;;) {
    if (spillReadFailed() || control_.halted()) return finish(control_.failure());
    if (!goals.empty()) return solved(rootCells, goals, layers_.size());
    bool nextToGoal = false;
    if (!buildNextLayer(nextToGoal)) return finish(control_.failure());
    if (nextToGoal) {
      goals = goalsNextTo(layers_.back());
    } else if (layers_.back().empty()) {
      return finish(SolveOutcome::noSolution);
    }
  }
}

// The goals one move of piece 0 away from `layer`, sorted: its positions
// whose piece 0 stands next to the exit, tried for that move. None of them
// lies in the layer before, which holds no goal.
template <typename Codec, typename CellMask>
std::vector<typename Codec::KeyType> SearchByLayers<Codec, CellMask>::goalsNextTo(
    const SortedBlocks<Key>& layer) {
  std::vector<Key> goals;
  if (!hasGoal_) return goals;
  const int shape = groups_.shapeOf[0];
  typename Codec::Decoded d;
  uint64_t scanned = 0;
  for (int direction = 0; direction < moveDirectionCount; ++direction) {
    const uint8_t from = tables_.step[shape][goalCell_][direction ^ 1];
    if (from == noCell || tables_.step[shape][from][direction] != goalCell_) continue;
    Key first, last;
    if (!codec_.pieceZeroRange(from, first, last)) continue;
    for (RunCursor<Key> cursor(&layer, &first, nullptr); cursor.valid() && !(last < cursor.key());
         cursor.next()) {
      if (++scanned % 65536 == 0) control_.poll();
      codec_.decode(cursor.key(), d);
      if ((tables_.entered[shape][from][direction] & d.occupied) != 0) continue;
      int movedTo;
      goals.push_back(codec_.childKey(d, 0, static_cast<uint8_t>(goalCell_), movedTo));
    }
  }
  std::sort(goals.begin(), goals.end());
  goals.erase(std::unique(goals.begin(), goals.end()), goals.end());
  return goals;
}

// Whether a layer's spill file could not be read back; if so the search
// halts for it.
template <typename Codec, typename CellMask>
bool SearchByLayers<Codec, CellMask>::spillReadFailed() {
  for (const SortedBlocks<Key>& layer : layers_) {
    if (layer.readFailed()) {
      control_.fail(SolveOutcome::spillFailed, "cannot read a spill file back");
      return true;
    }
  }
  return false;
}

template <typename Codec, typename CellMask>
bool SearchByLayers<Codec, CellMask>::addLayer(BlockWriter<Key>* const* parts, size_t count) {
  SortedBlocks<Key> layer;
  std::string failure;
  if (!SortedBlocks<Key>::concatenate(parts, count, storage_, layer, failure)) {
    failToStore(control_, storage_, failure);
    return false;
  }
  control_.positions += layer.size();
  control_.storedBytes += layer.storedBytes();
  layers_.push_back(std::move(layer));
  return true;
}

// Whether expanding `layer` looks two layers ahead near the goal: when the
// positions near it are few, so that doing their part of the next layer
// twice costs little (see the design note).
template <typename Codec, typename CellMask>
bool SearchByLayers<Codec, CellMask>::looksAhead(const SortedBlocks<Key>& layer) const {
  if (!hasGoal_ || lookAhead_ == LookAhead::never) return false;
  if (lookAhead_ == LookAhead::always) return true;
  size_t near = 0;
  for (const auto& [first, last] : nearGoal_) {
    for (RunCursor<Key> cursor(&layer, &first, nullptr); cursor.valid() && !(last < cursor.key());
         cursor.next()) {
      ++near;
    }
  }
  return 16 * near <= layer.size();
}

// The positions of the next layer near the goal, from the records the
// expansion kept apart: their back moves joined, less the layer before.
template <typename Codec, typename CellMask>
bool SearchByLayers<Codec, CellMask>::nearPart() {
  std::vector<KeyRange<Key>> records = expansion_.nearRecords();
  size_t count = 0;
  for (const KeyRange<Key>& range : records) count += range.end - range.begin;
  const bool packed = expansion_.packed();
  KeyBuffer<Key>& keys = nearKeys_;
  KeyBuffer<uint32_t>& backs = nearBacks_;
  keys.clear();
  backs.clear();
  const size_t held =
      std::max(keys.capacity(), KeyBuffer<Key>::capacityFor(count)) * sizeof(Key) +
      (packed ? std::max(backs.capacity(), KeyBuffer<uint32_t>::capacityFor(count)) : 0) *
          sizeof(uint32_t);
  if (held > nearCharged_) {
    if (!budget_.charge(held - nearCharged_)) {
      control_.fail(SolveOutcome::outOfMemory);
      return false;
    }
    nearCharged_ = held;
  }
  // The part grows from layer to layer: mapped for four times as many, it
  // grows in place.
  keys.growInPlaceUpTo(4 * count);
  backs.growInPlaceUpTo(4 * count);
  if (!keys.reserve(count) || (packed && !backs.reserve(count))) {
    control_.fail(SolveOutcome::outOfMemory);
    return false;
  }
  const SortedBlocks<Key>* before = layers_.size() >= 2 ? &layers_[layers_.size() - 2] : nullptr;
  RunCursor<Key> previous(before, nullptr, nullptr);
  bool pending = false;
  Key current{};
  uint32_t joined = noBackMoves;
  const auto settle = [&] {
    previous.seek(current);
    if (previous.valid() && previous.key() == current) return;
    keys.push(current);  // within the room reserved
    if (packed) backs.push(joined);
  };
  mergeRanges(records, [&](const Key& record) {
    const Key key = expansion_.keyOf(record);
    if (!pending || key != current) {
      if (pending) settle();
      pending = true;
      current = key;
      joined = noBackMoves;
    }
    if (packed) joined = joinBacks(joined, expansion_.backsOf(record), maxBackBytes);
    return true;
  });
  if (pending) settle();
  return !spillReadFailed();
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

// Builds the next layer; or, when some of its positions are next to the
// goal (`nextToGoal`), only those: they are all the walk back needs of it;
// or, looking ahead, its positions near the goal and, of the layer after,
// those next to the goal.
template <typename Codec, typename CellMask>
bool SearchByLayers<Codec, CellMask>::buildNextLayer(bool& nextToGoal) {
  const SortedBlocks<Key>& parents = layers_.back();
  const bool ahead = looksAhead(parents);
  bool twoOn = false;  // the goal lies two layers on
  expansion_.keepNearGoal(ahead);
  nextToGoal = expansion_.expand(parents, blockBacks_, ahead ? aheadOfGoal_ : nearGoal_, [&] {
    if (!ahead) return false;
    if (!nearPart()) return true;
    twoOn = expansion_.probe(nearKeys_.data(), nearBacks_.size() == 0 ? nullptr : nearBacks_.data(),
                             nearKeys_.size());
    // Otherwise the rest of the layer is made without them.
    return twoOn;
  });
  expansion_.keepNearGoal(false);
  bool ok = !control_.halted();
  if (ok && nextToGoal) {
    // None lies in the layer before: from there the goal would be nearer.
    const std::vector<Key> nextTo = expansion_.childrenNextToGoal();
    ok = (!twoOn || addLayer(nearKeys_.data(), nearKeys_.size())) &&
         addLayer(nextTo.data(), nextTo.size());
    expansion_.clear();
  }
  if (2 * budget_.held() > budget_.limit()) releaseNear();  // not kept when memory runs short
  if (!ok || nextToGoal) return ok;
  // Key ranges for the merge, cut at the first keys of the parents' blocks:
  // children lie near their parents. Many small ones, so that threads end
  // together: with 64 a thread rather than 8, the merge of an 8 by 6 layout
  // took 5 to 11 % less time on 2 threads, and as much on 1.
  const size_t ranges = std::min<size_t>(parents.blockCount(), size_t{64} * team_.size());
  std::vector<Key> cuts;
  for (size_t r = 1; r < ranges; ++r) {
    cuts.push_back(parents.block(r * parents.blockCount() / ranges).first);
  }
  const size_t count = cuts.size() + 1;
  while (parts_.size() < count) parts_.emplace_back(&budget_);
  threadBacks_.resize(team_.size());
  for (ThreadBacks& thread : threadBacks_) {
    thread.backs.clear();  // the layer expanded last no longer needs them
  }
  std::atomic<size_t> nextRange{0};
  team_.run(std::min<int>(team_.size(), static_cast<int>(count)), [&](int t) {
    KeyBuffer<uint32_t>& backs = threadBacks_[t].backs;
    for (size_t r; (r = nextRange.fetch_add(1)) < count && !control_.halted();) {
      parts_[r].thread = t;
      parts_[r].backsFrom = backs.size();
      if (!mergeRange(r == 0 ? nullptr : &cuts[r - 1], r == cuts.size() ? nullptr : &cuts[r],
                      parts_[r].keys, backs)) {
        return;
      }
      control_.poll();
    }
  });
  expansion_.clear();
  if (control_.halted() || spillReadFailed()) return false;
  if (!keepBacks(count)) return false;
  std::vector<BlockWriter<Key>*> writers;
  for (size_t r = 0; r < count; ++r) writers.push_back(&parts_[r].keys);
  return addLayer(writers.data(), count);
}

// One key range of the next layer: the children of every worker, merged
// without repeats, less the layer before the parents; with each position,
// the back moves of the children that reached it.
template <typename Codec, typename CellMask>
bool SearchByLayers<Codec, CellMask>::mergeRange(const Key* low, const Key* high,
                                                 BlockWriter<Key>& keys,
                                                 KeyBuffer<uint32_t>& backs) {
  const SortedBlocks<Key>* before = layers_.size() >= 2 ? &layers_[layers_.size() - 2] : nullptr;
  RunCursor<Key> previous(before, low, high);
  const bool packed = expansion_.packed();
  bool pending = false;
  Key current{};
  uint32_t currentBacks = noBackMoves;
  uint64_t written = 0;
  // Writes the position gathered so far unless the layer before holds it.
  const auto settle = [&]() {
    if (!pending) return true;
    pending = false;
    previous.seek(current);
    if (previous.valid() && previous.key() == current) return true;
    if (!keys.append(current)) {
      control_.fail(SolveOutcome::outOfMemory);
      return false;
    }
    if (packed && !backs.push(currentBacks)) {
      control_.fail(SolveOutcome::outOfMemory);
      return false;
    }
    if (++written % 65536 == 0) control_.poll();
    return !control_.halted();
  };
  bool ok = true;
  const auto take = [&](const Key& record) {
    const Key key = expansion_.keyOf(record);
    if (!pending || key != current) {
      if (!settle()) return ok = false;
      pending = true;
      current = key;
      currentBacks = noBackMoves;
    }
    if (packed) currentBacks = joinBacks(currentBacks, expansion_.backsOf(record), maxBackBytes);
    return true;
  };
  const Key lowRecord = low ? expansion_.recordOf(*low) : Key{};
  const Key highRecord = high ? expansion_.recordOf(*high) : Key{};
  if (expansion_.hasRuns()) {
    std::vector<std::unique_ptr<KeySource<Key>>> sources;
    expansion_.addSources(low ? &lowRecord : nullptr, high ? &highRecord : nullptr, sources);
    mergeSources(sources, take);
  } else {
    std::vector<KeyRange<Key>> ranges;
    expansion_.addRanges(low ? &lowRecord : nullptr, high ? &highRecord : nullptr, ranges);
    mergeRanges(ranges, take);
  }
  return ok && settle();
}

// Points each block of the new layer at its positions' back moves, which
// stay in the threads' buffers until the next merge; their memory is charged.
template <typename Codec, typename CellMask>
bool SearchByLayers<Codec, CellMask>::keepBacks(size_t count) {
  blockBacks_.clear();
  budget_.release(backsCharged_);
  backsCharged_ = 0;
  if (!expansion_.packed()) return true;
  for (const ThreadBacks& thread : threadBacks_) {
    backsCharged_ += thread.backs.capacity() * sizeof(uint32_t);
  }
  if (!budget_.charge(backsCharged_)) {
    backsCharged_ = 0;
    control_.fail(SolveOutcome::outOfMemory);
    return false;
  }
  for (size_t p = 0; p < count; ++p) {
    const BlockWriter<Key>& keys = parts_[p].keys;
    const uint32_t* at = threadBacks_[parts_[p].thread].backs.data() + parts_[p].backsFrom;
    for (size_t b = 0; b < keys.blockCount(); ++b) {
      blockBacks_.push_back(at);
      at += keys.blockSize(b);
    }
  }
  return true;
}

template <typename Codec, typename CellMask>
SolveResult SearchByLayers<Codec, CellMask>::finish(SolveOutcome outcome) {
  expansion_.release();
  releaseNear();
  blockBacks_.clear();
  parts_.clear();
  threadBacks_.clear();
  budget_.release(backsCharged_);
  backsCharged_ = 0;
  SolveResult result;
  result.outcome = outcome;
  result.stats = control_.stats();
  result.failure = control_.failureReason();
  layers_.clear();
  return result;
}

template <typename Codec, typename CellMask>
SolveResult SearchByLayers<Codec, CellMask>::solved(const uint8_t* rootCells,
                                                    const std::vector<Key>& goals, size_t moves) {
  expansion_.release();
  SolveResult result;
  result.outcome = SolveOutcome::solved;
  result.solution = root_;
  if (moves > 0) control_.positions += goals.size();
  LayerWalk<Codec, CellMask> walk(groups_, tables_, codec_, budget_);
  const bool walked =
      walk.markBackwards(layers_, goals) && walk.forward(moves, rootCells, result.solution);
  if (!walked) return finish(SolveOutcome::outOfMemory);
  const SolveResult done = finish(SolveOutcome::solved);
  result.stats = done.stats;
  return result;
}
