// Looking ahead near the goal (docs/layered-search.md): the positions of the
// next layer whose piece 0 stands near the goal, made between the
// expansion's two passes from the children it kept apart. They are kept with
// their memory from layer to layer: made on one thread, they would otherwise
// spend most of their time taking fresh pages from the system. (On disk the
// memory goes back once a layer no longer looks ahead.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "BackMoves.h"
#include "ChildRuns.h"
#include "runs/KeyMerge.h"
#include "runs/SortedBlocks.h"
#include "search/memory/KeyBuffer.h"

template <typename Key>
class NearGoalPart {
 public:
  explicit NearGoalPart(MemoryBudget& budget) : keys_(&budget), backs_(&budget) {}

  // The keys of `records` (each worker's, sorted, in `format`), each once
  // with the back moves of its records joined, less those of `before` (null
  // for none). False when memory runs short.
  bool make(std::vector<KeyRange<Key>>& records, const RecordFormat<Key>& format,
            const SortedBlocks<Key>* before) {
    size_t count = 0;
    for (const KeyRange<Key>& range : records) count += range.end - range.begin;
    keys_.clear();
    backs_.clear();
    // The part grows from layer to layer: mapped for four times as many, it
    // grows in place.
    keys_.growInPlaceUpTo(4 * count);
    backs_.growInPlaceUpTo(4 * count);
    if (!keys_.reserve(count) || (format.packed() && !backs_.reserve(count))) return false;
    RunCursor<Key> previous(before, nullptr, nullptr);
    auto fold = foldBacks<Key>(maxBackBytes, [&](const Key& key, uint32_t backs) {
      previous.seek(key);
      if (previous.valid() && previous.key() == key) return true;
      keys_.push(key);  // within the room reserved
      if (format.packed()) backs_.push(backs);
      return true;
    });
    mergeRanges(records, [&](const Key& record) {
      return fold.take(format.keyOf(record), format.backsOf(record));
    });
    fold.finish();
    return true;
  }

  const KeyBuffer<Key>& keys() const { return keys_; }
  // Their back moves, or null when the records carry none.
  const uint32_t* backs() const { return backs_.empty() ? nullptr : backs_.data(); }

  void release() {
    keys_.release();
    backs_.release();
  }

 private:
  KeyBuffer<Key> keys_;
  KeyBuffer<uint32_t> backs_;
};
