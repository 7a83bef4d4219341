#include "SortedBlocks.h"

#include <cstring>


template <typename Key>
bool BlockWriter<Key>::startBlock(const Key& key) {
  if (file_ && used_ >= spillBytes && !spill(spillFailure_)) return false;
  if (blocks_.size() == blocks_.capacity()) {
    const size_t more = std::max<size_t>(16, blocks_.capacity()) * sizeof(BlockInfo<Key>);
    if (!charge_.add(more)) return false;
    blocks_.reserve(std::max<size_t>(16, 2 * blocks_.capacity()));
  }
  blocks_.push_back({key, used_, 1, 0});
  inBlock_ = 1;
  ++size_;
  previous_ = key;
  return true;
}

template <typename Key>
bool BlockWriter<Key>::spill(std::string& failure) {
  // A block of one key has no bytes: it lies where the file ends.
  uint64_t offset = file_->end();
  if (used_ > 0 && !file_->append(bytes_.get(), used_, offset, failure)) return false;
  for (size_t b = spilledBlocks_; b < blocks_.size(); ++b) blocks_[b].offset += offset;
  spilledBlocks_ = blocks_.size();
  spilledBytes_ += used_;
  used_ = 0;
  return true;
}

template <typename Key>
bool BlockWriter<Key>::grow(size_t more) {
  const size_t capacity = capacity_ + more;
  const bool moves = capacity > room_;
  const bool mapRoom = moves && ceiling_ >= capacity;
  const size_t room = moves ? (mapRoom ? ceiling_ : capacity) : room_;
  const size_t held = room > capacity ? ByteBuffer::filledFor(capacity, room) : capacity;
  const size_t before = keyBytesHeld();
  if (held > before && !charge_.add(held - before)) return false;
  if (moves) {
    ByteBuffer grown = mapRoom ? ByteBuffer::room(ceiling_) : ByteBuffer(capacity);
    if (!grown) {
      if (held > before) charge_.remove(held - before);
      return false;
    }
    if (used_ > 0) std::memcpy(grown.get(), bytes_.get(), used_);
    bytes_ = std::move(grown);
    room_ = room;
  }
  if (held < before) charge_.remove(before - held);
  capacity_ = capacity;
  return true;
}

template <typename Key>
void BlockWriter<Key>::clear() {
  bytes_ = ByteBuffer();
  used_ = capacity_ = room_ = 0;
  std::vector<BlockInfo<Key>>().swap(blocks_);
  charge_.release();
  size_ = 0;
  inBlock_ = 0;
  file_.reset();
  spilledBlocks_ = 0;
  spilledBytes_ = 0;
}

template <typename Key>
std::optional<SearchFailure> SortedBlocks<Key>::concatenate(BlockWriter<Key>* const* parts, size_t count,
                                            const RunStorage& storage, SortedBlocks& out) {
  out.clear();
  out.charge_ = BudgetCharge(storage.budget);
  size_t blockCount = 0;
  uint64_t bytes = 0;
  for (size_t p = 0; p < count; ++p) {
    blockCount += parts[p]->blocks_.size();
    bytes += parts[p]->used_;
  }
  const bool spill = storage.spills();
  if (!out.charge_.add(blockCount * sizeof(BlockInfo<Key>) + (spill ? 0 : bytes))) {
    return SearchFailure{SolveOutcome::outOfMemory, "memory budget"};
  }
  std::string reason;
  if (spill) {
    out.file_ = SpillFile::open(storage, reason);
    if (!out.file_) return SearchFailure{SolveOutcome::spillFailed, reason};
  } else if (bytes > 0) {
    out.data_ = ByteBuffer(bytes);
    if (!out.data_) return SearchFailure{SolveOutcome::outOfMemory, "memory"};
  }
  out.blocks_.reserve(blockCount);
  uint64_t offset = 0;
  for (size_t p = 0; p < count; ++p) {
    BlockWriter<Key>& part = *parts[p];
    // One writer at a time: each part lands where the last one ended.
    uint64_t at = 0;
    if (spill && part.used_ > 0 && !out.file_->append(part.bytes_.get(), part.used_, at, reason)) {
      return SearchFailure{SolveOutcome::spillFailed, reason};
    }
    if (!spill && part.used_ > 0) {
      std::memcpy(out.data_.get() + offset, part.bytes_.get(), part.used_);
    }
    for (BlockInfo<Key> info : part.blocks_) {
      info.offset += offset;
      out.blocks_.push_back(info);
      out.size_ += info.count;
    }
    offset += part.used_;
    part.reset();
  }
  out.bytes_ = bytes;
  return std::nullopt;
}

template <typename Key>
std::optional<SearchFailure> SortedBlocks<Key>::gather(BlockWriter<Key>* const* parts,
                                                       size_t count,
                                                       const std::shared_ptr<SpillFile>& file,
                                                       MemoryBudget* budget, SortedBlocks& out) {
  out.clear();
  out.charge_ = BudgetCharge(budget);
  size_t blockCount = 0;
  for (size_t p = 0; p < count; ++p) blockCount += parts[p]->blocks_.size();
  if (!out.charge_.add(blockCount * sizeof(BlockInfo<Key>))) {
    return SearchFailure{SolveOutcome::outOfMemory, "memory budget"};
  }
  out.file_ = file;
  out.blocks_.reserve(blockCount);
  for (size_t p = 0; p < count; ++p) {
    BlockWriter<Key>& part = *parts[p];
    std::string reason;
    if (!part.spill(reason)) return SearchFailure{SolveOutcome::spillFailed, reason};
    for (const BlockInfo<Key>& info : part.blocks_) out.blocks_.push_back(info);
    out.size_ += part.size_;
    out.bytes_ += part.spilledBytes_;
    part.clear();
  }
  return std::nullopt;
}

template <typename Key>
bool SortedBlocks<Key>::adopt(BlockWriter<Key>& writer, SortedBlocks& out) {
  if (writer.bytes_.trimmable()) {
    const size_t held = writer.keyBytesHeld();
    const size_t spanned = writer.bytes_.trim(writer.used_);
    if (held > spanned) writer.charge_.remove(held - spanned);
    writer.capacity_ = writer.room_ = spanned;
  } else if (writer.capacity_ - writer.used_ > writer.used_ / 8 + 4096) {
    return false;
  }
  out.clear();
  out.charge_ = std::move(writer.charge_);
  out.data_ = std::move(writer.bytes_);
  out.blocks_ = std::move(writer.blocks_);
  out.size_ = writer.size_;
  out.bytes_ = writer.used_;
  writer.clear();
  return true;
}

template <typename Key>
int SortedBlocks<Key>::decodeBlock(size_t i, Key* keys) const {
  const BlockInfo<Key>& info = blocks_[i];
  uint8_t spilled[blockKeys * KeyCoding<Key>::maxBytes];
  const uint8_t* in = data_ ? data_.get() + info.offset : spilled;
  if (file_ && !file_->read(spilled, info.bytes, info.offset)) {
    readFailed_.store(true, std::memory_order_relaxed);
    return 0;
  }
  keys[0] = info.first;
  for (uint32_t k = 1; k < info.count; ++k) in = KeyCoding<Key>::get(in, keys[k - 1], keys[k]);
  return static_cast<int>(info.count);
}

template <typename Key>
size_t SortedBlocks<Key>::blockFor(const Key& key) const {
  const auto after =
      std::upper_bound(blocks_.begin(), blocks_.end(), key,
                       [](const Key& k, const BlockInfo<Key>& info) { return k < info.first; });
  return after == blocks_.begin() ? 0 : static_cast<size_t>(after - blocks_.begin()) - 1;
}

template <typename Key>
bool SortedBlocks<Key>::contains(const Key& key) const {
  if (blocks_.empty() || key < blocks_.front().first) return false;
  Key keys[blockKeys];
  const int count = decodeBlock(blockFor(key), keys);
  return std::binary_search(keys, keys + count, key);
}

template <typename Key>
void SortedBlocks<Key>::clear() {
  blocks_.clear();
  blocks_.shrink_to_fit();
  data_ = ByteBuffer();
  file_.reset();
  charge_.release();
  size_ = 0;
  bytes_ = 0;
}

template <typename Key>
void SortedBlocks<Key>::clearAndFreeDisk() {
  if (file_ && !blocks_.empty()) {
    const uint64_t from = blocks_.front().offset;
    file_->release(from, blocks_.back().offset + blocks_.back().bytes - from);
  }
  clear();
}

template <typename Key>
void SortedBlocks<Key>::swap(SortedBlocks& other) noexcept {
  std::swap(blocks_, other.blocks_);
  std::swap(size_, other.size_);
  std::swap(bytes_, other.bytes_);
  std::swap(data_, other.data_);
  std::swap(file_, other.file_);
  std::swap(charge_, other.charge_);
  const bool failed = readFailed_.load();
  readFailed_.store(other.readFailed_.load());
  other.readFailed_.store(failed);
}

template class SortedBlocks<uint64_t>;
template class SortedBlocks<Key128>;
template class SortedBlocks<Key192>;
template class BlockWriter<uint64_t>;
template class BlockWriter<Key128>;
template class BlockWriter<Key192>;
