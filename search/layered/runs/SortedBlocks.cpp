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

// The values of the keys not yet written: those of a chunk, and of the
// blocks written since, at most one spill's worth (one key a byte or more).
constexpr size_t sidesHeld =
    (chunkBlocks + BlockWriter<uint64_t>::spillBytes / blockKeys + 1) * size_t{blockKeys};

template <typename Key>
bool BlockWriter<Key>::holdSides() {
  if (!charge_.add(sidesHeld * sizeof(uint32_t))) return false;
  sides_.reserve(sidesHeld);
  return true;
}

template <typename Key>
void BlockWriter<Key>::releaseSides() {
  if (sides_.capacity() == 0) return;
  std::vector<uint32_t>().swap(sides_);
  charge_.remove(sidesHeld * sizeof(uint32_t));
}

template <typename Key>
bool BlockWriter<Key>::spill(std::string& failure) {
  // A block of one key has no bytes: it lies where the file ends.
  uint64_t offset = file_->end();
  if (used_ > 0 && !file_->append(bytes_.get(), used_, offset, failure)) return false;
  if (used_ > 0) extentFrom_ = std::min(extentFrom_, offset);
  extentTo_ = std::max(extentTo_, offset + used_);
  for (size_t b = spilledBlocks_; b < indexed_ + blocks_.size(); ++b) {
    blocks_[b - indexed_].offset += offset;
  }
  spilledBlocks_ = indexed_ + blocks_.size();
  spilledBytes_ += used_;
  used_ = 0;
  while (spilledBlocks_ - indexed_ >= size_t{chunkBlocks}) {
    if (!writeChunk(chunkBlocks, failure)) return false;
  }
  return true;
}

template <typename Key>
bool BlockWriter<Key>::writeChunk(size_t count, std::string& failure) {
  IndexChunk<Key> chunk{blocks_[0].first, 0, 0, indexed_, static_cast<uint32_t>(count)};
  const size_t lineBytes = count * sizeof(BlockInfo<Key>);
  if (!file_->append(blocks_.data(), lineBytes, chunk.offset, failure)) return false;
  extentFrom_ = std::min(extentFrom_, chunk.offset);
  extentTo_ = std::max(extentTo_, chunk.offset + lineBytes);
  if (sideFile_) {
    size_t values = 0;
    for (size_t b = 0; b < count; ++b) values += blocks_[b].count;
    if (!sideFile_->append(sides_.data(), values * sizeof(uint32_t), chunk.sideOffset, failure)) {
      return false;
    }
    sides_.erase(sides_.begin(), sides_.begin() + static_cast<ptrdiff_t>(values));
  }
  if (chunks_.size() == chunks_.capacity()) {
    const size_t more = std::max<size_t>(16, chunks_.capacity());
    if (!charge_.add(more * sizeof(IndexChunk<Key>))) {
      failure = budgetRefusal;
      return false;
    }
    chunks_.reserve(chunks_.capacity() + more);
  }
  chunks_.push_back(chunk);
  blocks_.erase(blocks_.begin(), blocks_.begin() + static_cast<ptrdiff_t>(count));
  indexed_ += count;
  return true;
}

template <typename Key>
bool BlockWriter<Key>::finishSpill() {
  if (!spill(spillFailure_) || (!blocks_.empty() && !writeChunk(blocks_.size(), spillFailure_))) {
    return false;
  }
  releaseSides();
  // All but the chunks' lines is on disk now: the buffers go back at once,
  // so that a layer's finished parts hold next to nothing while the others
  // are merged.
  charge_.remove(keyBytesHeld() + blocks_.capacity() * sizeof(BlockInfo<Key>));
  dropBuffers();
  return true;
}

template <typename Key>
void BlockWriter<Key>::dropBuffers() {
  bytes_ = ByteBuffer();
  used_ = capacity_ = room_ = 0;
  std::vector<BlockInfo<Key>>().swap(blocks_);
}

template <typename Key>
void BlockWriter<Key>::forgetSpill() {
  file_.reset();
  sideFile_.reset();
  spilledBlocks_ = 0;
  spilledBytes_ = 0;
  indexed_ = 0;
  chunks_.clear();
  releaseSides();
  extentFrom_ = UINT64_MAX;
  extentTo_ = 0;
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
  dropBuffers();
  charge_.release();
  size_ = 0;
  inBlock_ = 0;
  forgetSpill();
  std::vector<IndexChunk<Key>>().swap(chunks_);
}

template <typename Key>
std::optional<SearchFailure> SortedBlocks<Key>::concatenate(BlockWriter<Key>* const* parts,
                                                            size_t count, const RunStorage& storage,
                                                            SortedBlocks& out) {
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
std::optional<SearchFailure> SortedBlocks<Key>::gather(BlockWriter<Key>* const* parts, size_t count,
                                                       const std::shared_ptr<SpillFile>& file,
                                                       MemoryBudget* budget, SortedBlocks& out) {
  out.clear();
  out.charge_ = BudgetCharge(budget);
  size_t chunkCount = 0;
  for (size_t p = 0; p < count; ++p) {
    if (!parts[p]->finishSpill()) return parts[p]->failure();
    chunkCount += parts[p]->chunks_.size();
  }
  if (!out.charge_.add(chunkCount * sizeof(IndexChunk<Key>))) {
    return SearchFailure{SolveOutcome::outOfMemory, "memory budget"};
  }
  out.file_ = file;
  out.chunks_.reserve(chunkCount);
  if (count == 1) {
    out.extentFrom_ = parts[0]->extentFrom_;
    out.extentTo_ = parts[0]->extentTo_;
  }
  for (size_t p = 0; p < count; ++p) {
    BlockWriter<Key>& part = *parts[p];
    for (IndexChunk<Key> chunk : part.chunks_) {
      chunk.firstBlock += out.blockCount_;
      out.chunks_.push_back(chunk);
    }
    out.blockCount_ += part.indexed_;
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
  const BlockInfo<Key> info = block(i);
  if (info.count == 0) return 0;
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
size_t SortedBlocks<Key>::chunkOf(size_t block) const {
  const auto after =
      std::upper_bound(chunks_.begin(), chunks_.end(), block,
                       [](size_t b, const IndexChunk<Key>& chunk) { return b < chunk.firstBlock; });
  return static_cast<size_t>(after - chunks_.begin()) - 1;
}

template <typename Key>
bool SortedBlocks<Key>::readChunk(size_t c, BlockInfo<Key>* lines) const {
  if (file_->read(lines, chunks_[c].count * sizeof(BlockInfo<Key>), chunks_[c].offset)) {
    return true;
  }
  readFailed_.store(true, std::memory_order_relaxed);
  return false;
}

template <typename Key>
BlockInfo<Key> SortedBlocks<Key>::blockOnDisk(size_t i) const {
  const IndexChunk<Key>& chunk = chunks_[chunkOf(i)];
  BlockInfo<Key> line{};
  if (!file_->read(&line, sizeof line, chunk.offset + (i - chunk.firstBlock) * sizeof line)) {
    readFailed_.store(true, std::memory_order_relaxed);
    return BlockInfo<Key>{};
  }
  return line;
}

template <typename Key>
uint64_t SortedBlocks<Key>::sideOffset(size_t i) const {
  // Every block of a writer but its last holds blockKeys keys, and the last
  // ends its last chunk.
  const IndexChunk<Key>& chunk = chunks_[chunkOf(i)];
  return chunk.sideOffset + (i - chunk.firstBlock) * size_t{blockKeys} * sizeof(uint32_t);
}

template <typename Key>
size_t SortedBlocks<Key>::blockFor(const Key& key) const {
  if (!chunks_.empty()) {
    const auto after = std::upper_bound(
        chunks_.begin(), chunks_.end(), key,
        [](const Key& k, const IndexChunk<Key>& chunk) { return k < chunk.first; });
    if (after == chunks_.begin()) return 0;
    const size_t c = static_cast<size_t>(after - chunks_.begin()) - 1;
    BlockInfo<Key> lines[chunkBlocks];
    if (!readChunk(c, lines)) return chunks_[c].firstBlock;
    const auto line =
        std::upper_bound(lines, lines + chunks_[c].count, key,
                         [](const Key& k, const BlockInfo<Key>& info) { return k < info.first; });
    return chunks_[c].firstBlock + static_cast<size_t>(line - lines) - 1;
  }
  const auto after =
      std::upper_bound(blocks_.begin(), blocks_.end(), key,
                       [](const Key& k, const BlockInfo<Key>& info) { return k < info.first; });
  return after == blocks_.begin() ? 0 : static_cast<size_t>(after - blocks_.begin()) - 1;
}

template <typename Key>
bool SortedBlocks<Key>::contains(const Key& key) const {
  if (empty() || key < block(0).first) return false;
  Key keys[blockKeys];
  const int count = decodeBlock(blockFor(key), keys);
  return std::binary_search(keys, keys + count, key);
}

template <typename Key>
void SortedBlocks<Key>::clear() {
  blocks_.clear();
  blocks_.shrink_to_fit();
  std::vector<IndexChunk<Key>>().swap(chunks_);
  blockCount_ = 0;
  extentFrom_ = extentTo_ = 0;
  data_ = ByteBuffer();
  file_.reset();
  charge_.release();
  size_ = 0;
  bytes_ = 0;
}

template <typename Key>
void SortedBlocks<Key>::clearAndFreeDisk() {
  if (file_ && extentTo_ > extentFrom_) file_->release(extentFrom_, extentTo_ - extentFrom_);
  clear();
}

template <typename Key>
void SortedBlocks<Key>::swap(SortedBlocks& other) noexcept {
  std::swap(blocks_, other.blocks_);
  std::swap(chunks_, other.chunks_);
  std::swap(blockCount_, other.blockCount_);
  std::swap(extentFrom_, other.extentFrom_);
  std::swap(extentTo_, other.extentTo_);
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
