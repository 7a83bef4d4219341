#include "ChildRuns.h"

#include "runs/RadixSort.h"

template <typename Key>
bool ChildRuns<Key>::makeRoom(size_t most) {
  if (records_.size() + most <= records_.capacity()) return true;
  if (records_.capacity() < bufferKeys_) {
    const size_t wanted = std::min(bufferKeys_, std::max(2 * records_.capacity(), size_t{4096}));
    if (records_.reserve(wanted)) return true;
    control_.fail(SolveOutcome::outOfMemory);
    return false;
  }
  return flush();
}

template <typename Key>
bool ChildRuns<Key>::sort(KeyBuffer<Key>& keys) {
  if (keys.size() < 2) return !control_.halted();
  if constexpr (RecordFormat<Key>::isInteger) {
    // Sized like the buffer, which only grows.
    if (scratch_.capacity() < keys.size()) {
      scratch_.release();
      if (!scratch_.reserve(keys.capacity())) {
        control_.fail(SolveOutcome::outOfMemory);
        return false;
      }
    }
    radixSort(keys.data(), scratch_.data(), keys.size(), format_.backBits(),
              format_.keyBits() + format_.backBits(), [this] { control_.poll(); });
  } else {
    std::sort(keys.data(), keys.data() + keys.size());
  }
  return !control_.halted();
}

template <typename Key>
bool ChildRuns<Key>::flush() {
  if (!sort(records_)) return false;
  // The run maps room for its longest code and grows in place, charged as
  // it is written; the room it does not use goes back when it is kept.
  const size_t count = records_.size();
  if (count == 0) return true;
  BlockWriter<Key> run(storage_.budget);
  run.growInPlaceUpTo(count * size_t{KeyCoding<Key>::maxBytes});
  // A run's gaps need distinct records: one per key, its back moves joined.
  auto fold = foldBacks<Key>(format_.backBytes(), [&](const Key& key, uint32_t backs) {
    return run.append(format_.recordWith(key, backs));
  });
  bool ok = true;
  for (const Key* record = records_.begin(); ok && record != records_.end(); ++record) {
    ok = fold.take(format_.keyOf(*record), format_.backsOf(*record));
  }
  if (!ok || !fold.finish()) {
    control_.fail(SolveOutcome::outOfMemory);
    return false;
  }
  records_.clear();
  SortedBlocks<Key> blocks;
  BlockWriter<Key>* const runs[] = {&run};
  const std::optional<SearchFailure> storeFailure =
      storage_.spillDirectory.empty() && SortedBlocks<Key>::adopt(run, blocks)
          ? std::nullopt
          : SortedBlocks<Key>::concatenate(runs, 1, storage_, blocks);
  if (storeFailure) {
    control_.fail(*storeFailure);
    return false;
  }
  runs_.push_back(std::move(blocks));
  return true;
}

template class ChildRuns<uint64_t>;
template class ChildRuns<Key128>;
template class ChildRuns<Key192>;
