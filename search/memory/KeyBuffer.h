// A buffer of keys that grows only when asked and is never cleared to zero,
// charged to a budget as it grows.
//
// From `mappedFrom` bytes on it is mapped in whole huge pages: filled once a
// layer, it would otherwise cost a page fault every four kilobytes, which on
// some machines costs many times more per byte than a huge page's fault. Below
// that it comes from the heap. A buffer told how far it may grow maps that much
// at once and then grows in place: the system gives memory only as keys are
// written, and growing copies nothing.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <new>
#include <utility>

#include "MemoryBudget.h"
#include "PageBlock.h"

template <typename Key, size_t mappedFrom = (size_t{256} << 10)>
class KeyBuffer {
 public:
  // Charged to `budget` as it grows; to none when null.
  explicit KeyBuffer(MemoryBudget* budget = nullptr) : charge_(budget) {}
  KeyBuffer(KeyBuffer&& other) noexcept { *this = std::move(other); }
  KeyBuffer& operator=(KeyBuffer&& other) noexcept {
    if (this == &other) return *this;
    release();
    charge_ = std::move(other.charge_);
    mapped_ = std::move(other.mapped_);
    small_ = std::move(other.small_);
    mappedKeys_ = std::exchange(other.mappedKeys_, 0);
    ceiling_ = other.ceiling_;
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    return *this;
  }

  // The capacity that reserve(keys) gives: huge pages are taken whole.
  static size_t capacityFor(size_t keys) {
    const size_t bytes = keys * sizeof(Key);
    return bytes < mappedFrom ? keys : PageBlock::heldFor(bytes) / sizeof(Key);
  }

  Key* data() { return data_; }
  const Key* data() const { return data_; }
  const Key* begin() const { return data_; }
  const Key* end() const { return data_ + size_; }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  size_t capacity() const { return capacity_; }
  void setSize(size_t size) { size_ = size; }
  void clear() { size_ = 0; }
  // The most keys reserve() will be asked for: a buffer that maps anew maps
  // that many, and grows in place up to them.
  void growInPlaceUpTo(size_t keys) { ceiling_ = keys; }
  // Appends `key`, doubling the room when full; false when the budget or the
  // system refuses.
  bool push(const Key& key) {
    if (size_ == capacity_ && !reserve(std::max(2 * capacity_, size_t{1024}))) return false;
    data_[size_++] = key;
    return true;
  }
  // Room for `wanted` keys, keeping those held; false, with the buffer as it
  // was, when the budget or the system refuses.
  bool reserve(size_t wanted) {
    if (wanted <= capacity_) return true;
    const size_t capacity = capacityFor(wanted);
    if (!charge_.add((capacity - capacity_) * sizeof(Key))) return false;
    if (capacity <= mappedKeys_) {
      capacity_ = capacity;
      return true;
    }
    const size_t bytes = capacity * sizeof(Key);
    PageBlock mapped;
    size_t mappedKeys = 0;
    std::unique_ptr<Key[]> small;
    Key* grown;
    if (bytes >= mappedFrom) {
      mappedKeys = capacityFor(std::max(capacity, ceiling_));
      mapped = PageBlock(mappedKeys * sizeof(Key), Pages::huge);
      grown = reinterpret_cast<Key*>(mapped.get());
    } else {
      small.reset(new (std::nothrow) Key[capacity]);
      grown = small.get();
    }
    if (grown == nullptr) {
      charge_.remove((capacity - capacity_) * sizeof(Key));
      return false;
    }
    std::copy(data_, data_ + size_, grown);
    mapped_ = std::move(mapped);
    mappedKeys_ = mappedKeys;
    small_ = std::move(small);
    data_ = grown;
    capacity_ = capacity;
    return true;
  }
  // Gives the memory back, and its charge.
  void release() {
    mapped_ = PageBlock();
    small_.reset();
    data_ = nullptr;
    size_ = capacity_ = mappedKeys_ = 0;
    charge_.release();
  }

 private:
  BudgetCharge charge_;
  PageBlock mapped_;
  size_t mappedKeys_ = 0;  // keys the mapping holds, capacity_ or more
  size_t ceiling_ = 0;
  std::unique_ptr<Key[]> small_;
  Key* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};
