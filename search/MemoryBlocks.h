// Memory for the search: blocks taken straight from the system, a budget that
// counts every byte the search holds, and fixed-size records in chunks.
//
// Blocks are mapped in whole huge pages and aligned to them; fresh mappings
// are zero, so nothing is cleared. Large searches ask the kernel for huge
// pages, since they read their blocks at random; small ones do not, as the
// kernel may stall to assemble them. The budget is charged before a block is
// taken, so the search never holds more than it allows: it reports running
// out instead, and releases everything.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

constexpr size_t hugePageBytes = size_t{2} << 20;
// Blocks from this size on ask for huge pages.
constexpr size_t hugeFrom = size_t{16} << 20;

// The memory the system could give at once, from /proc/meminfo where it can.
size_t availableMemory();

// Zeroed memory in whole huge pages, released when the block goes.
class Block {
 public:
  Block() = default;
  // `bytes` rounded up to whole huge pages; empty (false) when the system
  // refuses.
  Block(size_t bytes, bool huge);
  Block(Block&& other) noexcept { swap(other); }
  Block& operator=(Block&& other) noexcept {
    Block(std::move(other)).swap(*this);
    return *this;
  }
  ~Block();
  void swap(Block& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(bytes_, other.bytes_);
  }
  uint8_t* get() const { return data_; }
  explicit operator bool() const { return data_ != nullptr; }
  // Bytes a block of `bytes` holds: a whole number of huge pages.
  static size_t heldFor(size_t bytes) {
    return (bytes + hugePageBytes - 1) / hugePageBytes * hugePageBytes;
  }

 private:
  uint8_t* data_ = nullptr;
  size_t bytes_ = 0;
};

// Bytes written once and then read: from the heap when few, else mapped with
// huge pages over every whole one they span. Fresh memory costs a fault per
// small page, which on some machines costs more than filling it.
class ByteBuffer {
 public:
  ByteBuffer() = default;
  // Empty (false) when the system refuses.
  explicit ByteBuffer(size_t bytes);
  ByteBuffer(ByteBuffer&& other) noexcept { swap(other); }
  ByteBuffer& operator=(ByteBuffer&& other) noexcept {
    ByteBuffer(std::move(other)).swap(*this);
    return *this;
  }
  ~ByteBuffer();
  void swap(ByteBuffer& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(mapped_, other.mapped_);
  }
  // Room for up to `bytes` that the system fills only as it is written:
  // mapped, with no page taken in advance, unless so small that it comes
  // from the heap. Empty (false) when the system refuses.
  static ByteBuffer room(size_t bytes);
  uint8_t* get() const { return data_; }
  explicit operator bool() const { return data_ != nullptr; }
  // Whether trim() can give memory back: the buffer is mapped.
  bool trimmable() const { return mapped_ > 0; }
  // Gives the system back the whole small pages past the first `bytes`; the
  // bytes the buffer still spans.
  size_t trim(size_t bytes);

 private:
  // Maps `bytes` in whole small pages, none filled yet.
  void mapUnfilled(size_t bytes);

  uint8_t* data_ = nullptr;
  size_t mapped_ = 0;  // bytes mapped; 0 when from the heap
};

// What the search may hold, what it holds and the most it has held. Threads
// of one search charge and release it side by side.
class MemoryBudget {
 public:
  // `limit` bytes; 0 means three quarters of the memory available now.
  explicit MemoryBudget(size_t limit) : limit_(limit != 0 ? limit : availableMemory() / 4 * 3) {}

  // Counts `bytes` more as held; false, counting nothing, when that would
  // pass the limit.
  bool charge(size_t bytes) {
    size_t held = held_.load(std::memory_order_relaxed);
    do {
      if (bytes > limit_ || held > limit_ - bytes) return false;
    } while (!held_.compare_exchange_weak(held, held + bytes, std::memory_order_relaxed));
    size_t peak = peak_.load(std::memory_order_relaxed);
    while (held + bytes > peak &&
           !peak_.compare_exchange_weak(peak, held + bytes, std::memory_order_relaxed)) {
    }
    return true;
  }
  void release(size_t bytes) { held_.fetch_sub(bytes, std::memory_order_relaxed); }
  void releaseAll() { held_.store(0, std::memory_order_relaxed); }

  size_t limit() const { return limit_; }
  size_t held() const { return held_.load(std::memory_order_relaxed); }
  size_t peak() const { return peak_.load(std::memory_order_relaxed); }

 private:
  size_t limit_;
  std::atomic<size_t> held_{0};
  std::atomic<size_t> peak_{0};
};

// Records of `recordBytes` bytes appended one after another in chunks of
// one huge page, so that a record never moves once written.
class RecordChunks {
 public:
  RecordChunks() = default;
  explicit RecordChunks(size_t recordBytes)
      : recordBytes_(recordBytes), perChunk_(static_cast<uint32_t>(hugePageBytes / recordBytes)) {}

  uint32_t count() const { return count_; }
  uint8_t* at(uint32_t index) const {
    return chunks_[index / perChunk_].get() + (index % perChunk_) * recordBytes_;
  }
  // Room for one more record, charged to `budget`; false when the budget or
  // the system refuses, or 2^32 - 1 records are held.
  bool reserve(MemoryBudget& budget);
  // Appends a copy of `record`; reserve must have been granted.
  void append(const uint8_t* record);
  // Gives back every chunk; the caller releases the budget.
  void clear();

 private:
  size_t recordBytes_ = 1;
  uint32_t perChunk_ = 1;
  uint32_t count_ = 0;
  std::vector<Block> chunks_;
};
