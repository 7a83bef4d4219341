// Merging sorted sources of keys without repeats: the children a thread
// sorted in memory and the runs it sorted earlier.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "SortedBlocks.h"

// A sorted range of keys in memory, or a range of a run.
template <typename Key>
class KeySource {
 public:
  KeySource(const Key* begin, const Key* end) : pos_(begin), end_(end) {}
  KeySource(const SortedBlocks<Key>* run, const Key* low, const Key* high)
      : cursor_(std::make_unique<RunCursor<Key>>(run, low, high)) {}

  bool valid() const { return cursor_ ? cursor_->valid() : pos_ != end_; }
  const Key& key() const { return cursor_ ? cursor_->key() : *pos_; }
  void next() {
    if (cursor_) {
      cursor_->next();
    } else {
      ++pos_;
    }
  }

 private:
  const Key* pos_ = nullptr;
  const Key* end_ = nullptr;
  std::unique_ptr<RunCursor<Key>> cursor_;
};

// A sorted range of keys in memory.
template <typename Key>
struct KeyRange {
  const Key* begin;
  const Key* end;
};

// Calls emit(key) for every key of the ranges, in ascending order (a key
// held by several ranges as often), until emit returns false; returns
// whether it never did. The common case, one range per thread and no runs,
// without the cursors' costs.
template <typename Key, typename Emit>
bool mergeRanges(std::vector<KeyRange<Key>>& ranges, Emit emit) {
  if (ranges.size() == 2) {
    KeyRange<Key>& a = ranges[0];
    KeyRange<Key>& b = ranges[1];
    while (a.begin != a.end && b.begin != b.end) {
      if (!emit(*b.begin < *a.begin ? *b.begin++ : *a.begin++)) return false;
    }
  }
  for (;;) {
    KeyRange<Key>* least = nullptr;
    for (KeyRange<Key>& range : ranges) {
      if (range.begin != range.end && (least == nullptr || *range.begin < *least->begin)) {
        least = &range;
      }
    }
    if (least == nullptr) return true;
    if (!emit(*least->begin++)) return false;
  }
}

// The merge of many sources: a binary heap of their heads, least on top.
template <typename Key, typename Emit>
bool mergeByHeap(std::vector<std::unique_ptr<KeySource<Key>>>& sources, Emit emit) {
  std::vector<KeySource<Key>*> heap;
  for (auto& source : sources) {
    if (source->valid()) heap.push_back(source.get());
  }
  const auto later = [](const KeySource<Key>* a, const KeySource<Key>* b) {
    return b->key() < a->key();
  };
  std::make_heap(heap.begin(), heap.end(), later);
  bool first = true;
  Key last{};
  while (!heap.empty()) {
    std::pop_heap(heap.begin(), heap.end(), later);
    KeySource<Key>* top = heap.back();
    const Key key = top->key();
    if (first || key != last) {
      if (!emit(key)) return false;
      first = false;
      last = key;
    }
    top->next();
    if (top->valid()) {
      std::push_heap(heap.begin(), heap.end(), later);
    } else {
      heap.pop_back();
    }
  }
  return true;
}

// Calls emit(key) for every key of the sources once, in ascending order,
// until emit returns false; returns whether it never did. Each source must
// ascend. A few sources are scanned for the least key; more go through a
// heap.
template <typename Key, typename Emit>
bool mergeSources(std::vector<std::unique_ptr<KeySource<Key>>>& sources, Emit emit) {
  if (sources.size() == 1) {
    for (KeySource<Key>& only = *sources[0]; only.valid(); only.next()) {
      if (!emit(only.key())) return false;
    }
    return true;
  }
  if (sources.size() > 4) return mergeByHeap(sources, emit);
  // Each source's head key is copied beside it, so that finding the least
  // follows no pointers; a source is dropped when it runs out.
  struct Head {
    Key key;
    KeySource<Key>* source;
  };
  Head heads[4];
  size_t count = 0;
  for (auto& source : sources) {
    if (source->valid()) heads[count++] = {source->key(), source.get()};
  }
  while (count > 0) {
    Key key = heads[0].key;
    for (size_t i = 1; i < count; ++i) {
      if (heads[i].key < key) key = heads[i].key;
    }
    for (size_t i = 0; i < count;) {
      if (heads[i].key != key) {
        ++i;
        continue;
      }
      heads[i].source->next();
      if (heads[i].source->valid()) {
        heads[i].key = heads[i].source->key();
        ++i;
      } else {
        heads[i] = heads[--count];
      }
    }
    if (!emit(key)) return false;
  }
  return true;
}
