// Zeroed memory taken straight from the system in whole huge pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

constexpr size_t hugePageBytes = size_t{2} << 20;
constexpr size_t smallPageBytes = 4096;
// Blocks from this size on ask for huge pages.
constexpr size_t hugeFrom = size_t{16} << 20;

// Whether a mapping asks the kernel for huge pages. Large searches read
// their blocks at random and gain by them; small ones do not, as the kernel
// may stall to assemble them.
enum class Pages { small, huge };

// Zeroed memory in whole huge pages and aligned to them, released when the
// block goes. Fresh mappings are zero, so nothing is cleared.
class PageBlock {
 public:
  PageBlock() = default;
  // `bytes` rounded up to whole huge pages; empty (false) when the system
  // refuses.
  PageBlock(size_t bytes, Pages pages);
  PageBlock(PageBlock&& other) noexcept { swap(other); }
  PageBlock& operator=(PageBlock&& other) noexcept {
    PageBlock(std::move(other)).swap(*this);
    return *this;
  }
  ~PageBlock();
  void swap(PageBlock& other) noexcept {
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

// `bytes` rounded up to whole small pages.
inline size_t wholeSmallPages(size_t bytes) {
  return (bytes + smallPageBytes - 1) / smallPageBytes * smallPageBytes;
}

// `bytes` (whole small pages) mapped at a huge page boundary, no page filled
// yet; null when the system refuses.
uint8_t* mapAligned(size_t bytes);
