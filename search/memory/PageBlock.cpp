#include "PageBlock.h"

#include <sys/mman.h>

uint8_t* mapAligned(size_t bytes) {
  // One huge page more is mapped, then trimmed at both ends.
  const size_t mapped = bytes + hugePageBytes;
  void* map = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (map == MAP_FAILED) return nullptr;
  const uintptr_t start = reinterpret_cast<uintptr_t>(map);
  const uintptr_t aligned = (start + hugePageBytes - 1) & ~(hugePageBytes - 1);
  if (aligned > start) munmap(map, aligned - start);
  const size_t tail = mapped - (aligned - start) - bytes;
  if (tail > 0) munmap(reinterpret_cast<void*>(aligned + bytes), tail);
  return reinterpret_cast<uint8_t*>(aligned);
}

PageBlock::PageBlock(size_t bytes, Pages pages) {
  const size_t rounded = heldFor(bytes);
  data_ = mapAligned(rounded);
  if (data_ == nullptr) return;
  bytes_ = rounded;
  if (pages == Pages::huge) madvise(data_, bytes_, MADV_HUGEPAGE);
}

PageBlock::~PageBlock() {
  if (data_) munmap(data_, bytes_);
}
