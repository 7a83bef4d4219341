#include "RecordChunks.h"

#include <algorithm>
#include <cstring>

bool RecordChunks::reserve() {
  if (count_ % perChunk_ != 0) return true;
  if (count_ == UINT32_MAX - 1) return false;
  if (chunks_.size() == chunks_.capacity()) {
    // The list of chunks is charged too, counted once at its new capacity.
    const size_t oldBytes = chunks_.capacity() * sizeof(PageBlock);
    const size_t capacity = std::max<size_t>(16, 2 * chunks_.capacity());
    if (!charge_.add(capacity * sizeof(PageBlock))) return false;
    chunks_.reserve(capacity);
    charge_.remove(oldBytes);
  }
  if (!charge_.add(PageBlock::heldFor(hugePageBytes))) return false;
  const Pages pages = chunks_.size() * hugePageBytes >= hugeFrom ? Pages::huge : Pages::small;
  chunks_.emplace_back(hugePageBytes, pages);
  return static_cast<bool>(chunks_.back());
}

void RecordChunks::append(const uint8_t* record) {
  std::memcpy(at(count_), record, recordBytes_);
  ++count_;
}

void RecordChunks::clear() {
  std::vector<PageBlock>().swap(chunks_);
  count_ = 0;
  charge_.release();
}
