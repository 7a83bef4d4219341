#include "ChildRuns.h"

#include <string>

#include "runs/KeyMerge.h"
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
  const size_t count = records_.size();
  if (count == 0) return true;
  BlockWriter<Key> run(storage_.budget);
  if (storage_.spills()) {
    std::string reason;
    if (!file_ && !(file_ = SpillFile::open(storage_, reason))) {
      return failed({SolveOutcome::spillFailed, reason});
    }
    run.spillTo(file_);
  } else {
    // The run maps room for its longest code and grows in place, charged
    // as it is written; the room it does not use goes back when it is kept.
    run.growInPlaceUpTo(count * size_t{KeyCoding<Key>::maxBytes});
  }
  // A run's gaps need distinct records: one per key, its back moves joined.
  auto fold = foldBacks<Key>(format_.backBytes(), [&](const Key& key, uint32_t backs) {
    return run.append(format_.recordWith(key, backs));
  });
  bool ok = true;
  for (const Key* record = records_.begin(); ok && record != records_.end(); ++record) {
    ok = fold.take(format_.keyOf(*record), format_.backsOf(*record));
  }
  if (!ok || !fold.finish()) return failed(run.failure());
  records_.clear();
  return keepRun(run, 0) && mergeLevels();
}

template <typename Key>
bool ChildRuns<Key>::keepRun(BlockWriter<Key>& writer, int level) {
  SortedBlocks<Key> blocks;
  BlockWriter<Key>* const runs[] = {&writer};
  std::optional<SearchFailure> storeFailure;
  if (file_) {
    storeFailure = SortedBlocks<Key>::gather(runs, 1, file_, storage_.budget, blocks);
  } else if (!SortedBlocks<Key>::adopt(writer, blocks)) {
    storeFailure = SortedBlocks<Key>::concatenate(runs, 1, storage_, blocks);
  }
  if (storeFailure) return failed(*storeFailure);
  runs_.push_back(std::move(blocks));
  levels_.push_back(level);
  return true;
}

template <typename Key>
bool ChildRuns<Key>::mergeLevels() {
  if (!file_) return true;
  while (runs_.size() >= mergeWidth &&
         std::all_of(levels_.end() - mergeWidth, levels_.end(),
                     [&](int level) { return level == levels_.back(); })) {
    if (!mergeLast(mergeWidth)) return false;
  }
  return true;
}

template <typename Key>
bool ChildRuns<Key>::compact(size_t most) {
  if (!file_) return true;
  while (runs_.size() > std::max<size_t>(most, 1)) {
    if (!mergeLast(std::min(runs_.size() - most + 1, mergeWidth))) return false;
  }
  return true;
}

template <typename Key>
bool ChildRuns<Key>::mergeLast(size_t count) {
  const size_t first = runs_.size() - count;
  std::vector<std::unique_ptr<KeySource<Key>>> sources;
  BudgetCharge cursors(storage_.budget);
  if (!cursors.add(count * (sizeof(KeySource<Key>) + sizeof(RunCursor<Key>)))) {
    return failed({SolveOutcome::outOfMemory, std::string()});
  }
  for (size_t r = first; r < runs_.size(); ++r) {
    sources.push_back(std::make_unique<KeySource<Key>>(&runs_[r], nullptr, nullptr));
  }
  BlockWriter<Key> merged(storage_.budget);
  merged.spillTo(file_);
  auto fold = foldBacks<Key>(format_.backBytes(), [&](const Key& key, uint32_t backs) {
    return merged.append(format_.recordWith(key, backs));
  });
  uint64_t taken = 0;
  const bool ok = mergeSources(sources, [&](const Key& record) {
    if (++taken % 65536 == 0) control_.poll();
    return !control_.halted() && fold.take(format_.keyOf(record), format_.backsOf(record));
  });
  if (control_.halted()) return false;
  if (!ok || !fold.finish()) return failed(merged.failure());
  for (size_t r = first; r < runs_.size(); ++r) {
    if (runs_[r].readFailed())
      return failed({SolveOutcome::spillFailed, spillReadFailure});
  }
  sources.clear();
  const int level = levels_.back() + 1;
  for (size_t r = first; r < runs_.size(); ++r) runs_[r].clearAndFreeDisk();
  runs_.resize(first);
  levels_.resize(first);
  return keepRun(merged, level);
}

template class ChildRuns<uint64_t>;
template class ChildRuns<Key128>;
template class ChildRuns<Key192>;
