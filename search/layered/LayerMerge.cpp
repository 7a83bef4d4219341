// The merge that makes a layer: the children of the layer before, merged
// key range by key range on every thread, less the positions already
// found; in memory, or written to disk as it goes.
#include <atomic>
#include <memory>
#include <string>

#include "BackMoves.h"
#include "SearchByLayers.h"
#include "keys/CompactCodec.h"
#include "runs/KeyMerge.h"

// Merges the children of `parents` into the next layer, key range by key
// range on every thread.
template <typename Codec, typename CellMask>
bool SearchByLayers<Codec, CellMask>::mergeLayer(const SortedBlocks<Key>& parents) {
  // Key ranges cut at the first keys of the parents' blocks: children lie
  // near their parents. Many small ones, so that threads end together.
  const size_t ranges = std::min<size_t>(parents.blockCount(), size_t{64} * team_.size());
  std::vector<Key> cuts;
  for (size_t r = 1; r < ranges; ++r) {
    cuts.push_back(parents.block(r * parents.blockCount() / ranges).first);
  }
  const size_t count = cuts.size() + 1;
  while (parts_.size() < count) parts_.emplace_back(&budget_);
  while (threadBacks_.size() < static_cast<size_t>(team_.size())) {
    threadBacks_.emplace_back(&budget_);
  }
  for (ThreadBacks& thread : threadBacks_) {
    thread.backs.clear();  // the layer expanded last no longer needs them
  }
  blockBacks_.clear();
  if (storage_.spills()) {
    std::string reason;
    layerFile_ = SpillFile::open(storage_, reason);
    if (layerFile_ && expansion_.format().packed()) backsFile_ = SpillFile::open(storage_, reason);
    if (!layerFile_ || (expansion_.format().packed() && !backsFile_)) {
      control_.fail(SolveOutcome::spillFailed, reason);
      return false;
    }
    for (size_t r = 0; r < count; ++r) {
      parts_[r].keys.reset();
      parts_[r].keys.spillTo(layerFile_, backsFile_);
    }
  }
  std::atomic<size_t> nextRange{0};
  team_.run(std::min<int>(team_.size(), static_cast<int>(count)), [&](int t) {
    KeyBuffer<uint32_t>& backs = threadBacks_[t].backs;
    for (size_t r; (r = nextRange.fetch_add(1)) < count && !control_.halted();) {
      parts_[r].thread = t;
      parts_[r].backsFrom = backs.size();
      if (!mergeRange(r == 0 ? nullptr : &cuts[r - 1], r == cuts.size() ? nullptr : &cuts[r],
                      parts_[r], backs)) {
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
  const std::shared_ptr<SpillFile> spilledTo = std::move(layerFile_);
  return addLayer(writers.data(), count, spilledTo);
}

// One key range of the next layer: the children of every worker, merged
// without repeats, less the layer before the parents, and in the metrics
// whose moves can stay within a layer, less the parents' own; with each
// position, the back moves of the children that reached it.
template <typename Codec, typename CellMask>
bool SearchByLayers<Codec, CellMask>::mergeRange(const Key* low, const Key* high, Part& part,
                                                 KeyBuffer<uint32_t>& backs) {
  BlockWriter<Key>& keys = part.keys;
  const bool backsOnDisk = backsFile_ != nullptr;
  const SortedBlocks<Key>* before = layers_.size() >= 2 ? &layers_[layers_.size() - 2] : nullptr;
  RunCursor<Key> previous(before, low, high);
  const bool sameLayer = sameLayer_;
  std::unique_ptr<RunCursor<Key>> parents;
  if (sameLayer) parents = std::make_unique<RunCursor<Key>>(&layers_.back(), low, high);
  const RecordFormat<Key>& format = expansion_.format();
  uint64_t written = 0;
  // Writes each position unless an older layer holds it.
  auto fold = foldBacks<Key>(maxBackBytes, [&](const Key& key, uint32_t joined) {
    previous.seek(key);
    if (previous.valid() && previous.key() == key) return true;
    if (sameLayer) {
      parents->seek(key);
      if (parents->valid() && parents->key() == key) return true;
    }
    if (!(backsOnDisk ? keys.append(key, joined) : keys.append(key))) {
      control_.fail(keys.failure());
      return false;
    }
    if (format.packed() && !backsOnDisk && !backs.push(joined)) {
      control_.fail(SolveOutcome::outOfMemory);
      return false;
    }
    if (++written % 65536 == 0) control_.poll();
    return !control_.halted();
  });
  const auto take = [&](const Key& record) {
    return fold.take(format.keyOf(record), format.backsOf(record));
  };
  const Key lowRecord = low ? format.recordOf(*low) : Key{};
  const Key highRecord = high ? format.recordOf(*high) : Key{};
  bool ok = true;
  if (expansion_.hasRuns()) {
    std::vector<std::unique_ptr<KeySource<Key>>> sources;
    expansion_.addSources(low ? &lowRecord : nullptr, high ? &highRecord : nullptr, sources);
    // The sources' cursors each hold a block of keys, as do the old layers'.
    BudgetCharge cursors(&budget_);
    if (!cursors.add(sources.size() * sizeof(KeySource<Key>) +
                     (sources.size() + 2) * sizeof(RunCursor<Key>))) {
      control_.fail(SolveOutcome::outOfMemory);
      return false;
    }
    ok = mergeSources(sources, take);
  } else {
    std::vector<KeyRange<Key>> ranges;
    expansion_.addRanges(low ? &lowRecord : nullptr, high ? &highRecord : nullptr, ranges);
    ok = mergeRanges(ranges, take);
  }
  if (!ok || !fold.finish()) return false;
  if (!storage_.spills()) return true;
  if (!keys.finishSpill()) {
    control_.fail(keys.failure());
    return false;
  }
  return true;
}

// Points each block of the new layer at its positions' back moves, which
// stay in the threads' buffers until the next merge.
template <typename Codec, typename CellMask>
bool SearchByLayers<Codec, CellMask>::keepBacks(size_t count) {
  blockBacks_.clear();
  if (!expansion_.format().packed()) {
    blockBacksCharge_.release();
    return true;
  }
  if (backsFile_) {
    blockBacksCharge_.release();
    blockBacks_.file_ = std::move(backsFile_);
    return true;
  }
  size_t blocks = 0;
  for (size_t p = 0; p < count; ++p) blocks += parts_[p].keys.blockCount();
  if (!blockBacksCharge_.holdExactly(blocks * sizeof(const uint32_t*))) {
    control_.fail(SolveOutcome::outOfMemory);
    return false;
  }
  blockBacks_.inMemory_.reserve(blocks);
  for (size_t p = 0; p < count; ++p) {
    const BlockWriter<Key>& keys = parts_[p].keys;
    const uint32_t* at = threadBacks_[parts_[p].thread].backs.data() + parts_[p].backsFrom;
    for (size_t b = 0; b < keys.blockCount(); ++b) {
      blockBacks_.inMemory_.push_back(at);
      at += keys.blockSize(b);
    }
  }
  return true;
}

#define INSTANTIATE(Key, CellMask)                                                 \
  template bool SearchByLayers<CompactCodec<Key, CellMask>, CellMask>::mergeLayer( \
      const SortedBlocks<Key>&);
FOR_EACH_LAYERED_CODEC(INSTANTIATE)
