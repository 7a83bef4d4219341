// The children one worker of the expansion generates: records in a buffer
// that, when full, is sorted into a run (runs/SortedBlocks.h); the merge then
// reads the runs and the sorted rest.
//
// On disk, a worker's runs share a file, and whenever mergeWidth runs of
// one level lie last they are merged into one of the next level, giving
// their disk back: a worker keeps fewer than mergeWidth runs of each level,
// so the layer's merge reads a few cursors whatever the layer's size, and
// each child is rewritten once a level.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "BackMoves.h"
#include "keys/KeyCoding.h"
#include "runs/SortedBlocks.h"
#include "search/core/SearchControl.h"
#include "search/memory/KeyBuffer.h"

// How a child is kept: its key shifted up by the bytes of back moves it
// carries beside it, when the keys are integers with a byte or more to
// spare, or its key alone.
template <typename Key>
class RecordFormat {
 public:
  // Integer keys (of one, two or three words) can carry back moves and be
  // radix sorted.
  static constexpr bool isInteger =
      std::is_same_v<Key, uint64_t> || std::is_same_v<Key, Key128> || isWideKey<Key>;

  // Keys below 2^keyBits with up to `backBytes` back moves.
  RecordFormat(int keyBits, int backBytes) : keyBits_(keyBits) {
    if constexpr (isInteger) {
      const int spare = 8 * static_cast<int>(sizeof(Key)) - keyBits;
      backBytes_ = std::clamp(std::min(spare / 8, backBytes), 0, maxBackBytes);
    }
  }

  int keyBits() const { return keyBits_; }
  int backBytes() const { return backBytes_; }
  // Whether records carry back moves in their low bytes.
  bool packed() const { return backBytes_ > 0; }
  int backBits() const { return 8 * backBytes_; }
  // The bits of a record's back moves, in its low 32.
  uint32_t backMask() const { return backBytes_ == 4 ? ~0u : (1u << backBits()) - 1; }
  // The least record of `key`.
  Key recordOf(const Key& key) const {
    if constexpr (isInteger) return key << backBits();
    return key;
  }
  Key keyOf(const Key& record) const {
    if constexpr (isInteger) return record >> backBits();
    return record;
  }
  // A record's back moves, a byte each from the lowest, 0xFF beyond them.
  uint32_t backsOf(const Key& record) const {
    if constexpr (isInteger) return (static_cast<uint32_t>(record) & backMask()) | ~backMask();
    return noBackMoves;
  }
  // The record of `key` with the back moves `backs` (as many as it holds).
  Key recordWith(const Key& key, uint32_t backs) const {
    if constexpr (isInteger) return recordOf(key) | static_cast<Key>(backs & backMask());
    return key;
  }

 private:
  int keyBits_;
  int backBytes_ = 0;
};

template <typename Key>
class ChildRuns {
 public:
  // A buffer of up to `bufferKeys` records before they go to a run.
  ChildRuns(const RecordFormat<Key>& format, size_t bufferKeys, MemoryBudget& budget,
            SearchControl& control, const RunStorage& storage)
      : format_(format),
        bufferKeys_(bufferKeys),
        control_(control),
        storage_(storage),
        records_(&budget),
        scratch_(&budget) {
    records_.growInPlaceUpTo(bufferKeys);
  }

  KeyBuffer<Key>& records() { return records_; }
  const KeyBuffer<Key>& records() const { return records_; }
  const std::vector<SortedBlocks<Key>>& runs() const { return runs_; }

  // Room for `most` more records: the buffer grows up to its share, then is
  // sorted into a run. False when the search halts.
  bool makeRoom(size_t most);
  // Sorts `keys`, the records or another buffer of this worker's, by key;
  // repeats are left for the merge or a run, which read them as one. False
  // when the search halts.
  bool sort(KeyBuffer<Key>& keys);
  // Gives the sort's scratch back.
  void releaseScratch() { scratch_.release(); }
  // On disk, merges the last runs, the smallest, until at most `most` are
  // left, so that the layer's merge holds few cursors however many levels
  // the layer took. False when the search halts.
  bool compact(size_t most);

  // Empties the buffer and drops the runs, keeping the buffer's memory.
  void clear() {
    records_.clear();
    runs_.clear();
    levels_.clear();
    file_.reset();
  }
  void release() {
    clear();
    records_.release();
    scratch_.release();
  }

  static constexpr size_t mergeWidth = 16;

 private:
  bool flush();
  // Merges the last mergeWidth runs while they share a level.
  bool mergeLevels();
  bool mergeLast(size_t count);
  // Keeps the run that `writer` wrote, of `level`.
  bool keepRun(BlockWriter<Key>& writer, int level);
  bool failed(const SearchFailure& failure) {
    control_.fail(failure);
    return false;
  }

  const RecordFormat<Key>& format_;
  const size_t bufferKeys_;
  SearchControl& control_;
  const RunStorage& storage_;
  KeyBuffer<Key> records_;
  KeyBuffer<Key> scratch_;  // for the radix sort
  std::vector<SortedBlocks<Key>> runs_;
  std::vector<int> levels_;  // of each run, on disk
  std::shared_ptr<SpillFile> file_;
};
