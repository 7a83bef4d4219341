#include "MemoryBlocks.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <new>

size_t availableMemory() {
  if (FILE* file = std::fopen("/proc/meminfo", "r")) {
    char line[256];
    unsigned long long kib = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, file)) {
      found = std::sscanf(line, "MemAvailable: %llu kB", &kib) == 1;
    }
    std::fclose(file);
    if (found) return static_cast<size_t>(kib) * 1024;
  }
  const long pages = sysconf(_SC_AVPHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  if (pages > 0 && pageSize > 0) return static_cast<size_t>(pages) * pageSize;
  return size_t{1} << 30;
}

namespace {

constexpr size_t smallPageBytes = 4096;
// Byte buffers below this come from the heap.
constexpr size_t heapBelow = 16 * smallPageBytes;

size_t wholeSmallPages(size_t bytes) {
  return (bytes + smallPageBytes - 1) / smallPageBytes * smallPageBytes;
}

// `bytes` (whole small pages) mapped at a huge page boundary: one huge page
// more is mapped, then trimmed at both ends. Null when the system refuses.
uint8_t* mapAligned(size_t bytes) {
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

}  // namespace

Block::Block(size_t bytes, bool huge) {
  const size_t rounded = heldFor(bytes);
  data_ = mapAligned(rounded);
  if (data_ == nullptr) return;
  bytes_ = rounded;
  if (huge) madvise(data_, bytes_, MADV_HUGEPAGE);
}

Block::~Block() {
  if (data_) munmap(data_, bytes_);
}

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

bool RecordChunks::reserve(MemoryBudget& budget) {
  if (count_ % perChunk_ != 0) return true;
  if (count_ == UINT32_MAX - 1) return false;
  if (chunks_.size() == chunks_.capacity()) {
    // The list of chunks is charged too, counted once at its new capacity.
    const size_t oldBytes = chunks_.capacity() * sizeof(Block);
    const size_t capacity = std::max<size_t>(16, 2 * chunks_.capacity());
    if (!budget.charge(capacity * sizeof(Block))) return false;
    chunks_.reserve(capacity);
    budget.release(oldBytes);
  }
  if (!budget.charge(Block::heldFor(hugePageBytes))) return false;
  chunks_.emplace_back(hugePageBytes, chunks_.size() * hugePageBytes >= hugeFrom);
  return static_cast<bool>(chunks_.back());
}

void RecordChunks::append(const uint8_t* record) {
  std::memcpy(at(count_), record, recordBytes_);
  ++count_;
}

void RecordChunks::clear() {
  std::vector<Block>().swap(chunks_);
  count_ = 0;
}
