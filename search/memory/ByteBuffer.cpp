#include "ByteBuffer.h"

#include <sys/mman.h>

#include <algorithm>
#include <new>

#include "PageBlock.h"

namespace {

// Byte buffers below this come from the heap.
constexpr size_t heapBelow = 16 * smallPageBytes;

}  // namespace

ByteBuffer::ByteBuffer(size_t bytes) {
  if (bytes < heapBelow) {
    data_ = new (std::nothrow) uint8_t[bytes];
    return;
  }
  if (bytes < hugePageBytes) {
    // Too small for a huge page: its small pages are all mapped at once,
    // which costs half as much as a fault for each.
    const size_t rounded = wholeSmallPages(bytes);
    void* map = mmap(nullptr, rounded, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (map == MAP_FAILED) return;
    data_ = static_cast<uint8_t*>(map);
    mapped_ = rounded;
    return;
  }
  mapUnfilled(bytes);
}

ByteBuffer ByteBuffer::room(size_t bytes) {
  if (bytes < heapBelow) return ByteBuffer(bytes);
  ByteBuffer buffer;
  buffer.mapUnfilled(bytes);
  return buffer;
}

size_t ByteBuffer::filledFor(size_t bytes, size_t roomBytes) {
  if (roomBytes < heapBelow) return roomBytes;
  const size_t hugePart = wholeSmallPages(roomBytes) / hugePageBytes * hugePageBytes;
  if (bytes <= hugePart) return std::min(PageBlock::heldFor(bytes), hugePart);
  return hugePart + wholeSmallPages(bytes - hugePart);
}

void ByteBuffer::mapUnfilled(size_t bytes) {
  // Huge pages over every whole one; the tail in small pages.
  const size_t rounded = wholeSmallPages(bytes);
  data_ = mapAligned(rounded);
  if (data_ == nullptr) return;
  mapped_ = rounded;
  if (rounded >= hugePageBytes) {
    madvise(data_, rounded / hugePageBytes * hugePageBytes, MADV_HUGEPAGE);
  }
}

size_t ByteBuffer::trim(size_t bytes) {
  const size_t kept = wholeSmallPages(bytes);
  if (mapped_ <= kept) return mapped_;
  munmap(data_ + kept, mapped_ - kept);
  mapped_ = kept;
  if (kept == 0) data_ = nullptr;
  return mapped_;
}

ByteBuffer::~ByteBuffer() {
  if (mapped_ > 0) {
    munmap(data_, mapped_);
  } else {
    delete[] data_;
  }
}
