#include "SortedBlocks.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// A file for one run in `directory`, unlinked at once; -1 on failure.
int openSpillFile(const std::string& directory, std::string& failure) {
  std::string name = directory + "/cavel-run-XXXXXX";
  std::vector<char> path(name.begin(), name.end());
  path.push_back('\0');
  const int file = mkstemp(path.data());
  if (file < 0) {
    failure = "cannot create a file in " + directory + ": " + std::strerror(errno);
    return -1;
  }
  unlink(path.data());
  return file;
}

bool writeAll(int file, const uint8_t* data, size_t bytes, std::string& failure) {
  while (bytes > 0) {
    const ssize_t written = write(file, data, bytes);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      failure = std::string("cannot write a spill file: ") + std::strerror(errno);
      return false;
    }
    data += written;
    bytes -= static_cast<size_t>(written);
  }
  return true;
}

bool readAll(int file, uint8_t* data, size_t bytes, uint64_t offset) {
  while (bytes > 0) {
    const ssize_t got = pread(file, data, bytes, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    data += got;
    bytes -= static_cast<size_t>(got);
    offset += static_cast<uint64_t>(got);
  }
  return true;
}

}  // namespace

template <typename Key>
bool BlockWriter<Key>::startBlock(const Key& key) {
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
  const bool spill = !storage.spillDirectory.empty();
  if (!out.charge_.add(blockCount * sizeof(BlockInfo<Key>) + (spill ? 0 : bytes))) {
    return SearchFailure{SolveOutcome::outOfMemory, "memory budget"};
  }
  std::string reason;
  if (spill) {
    out.file_ = openSpillFile(storage.spillDirectory, reason);
    if (out.file_ < 0) return SearchFailure{SolveOutcome::spillFailed, reason};
  } else if (bytes > 0) {
    out.data_ = ByteBuffer(bytes);
    if (!out.data_) return SearchFailure{SolveOutcome::outOfMemory, "memory"};
  }
  out.blocks_.reserve(blockCount);
  uint64_t offset = 0;
  for (size_t p = 0; p < count; ++p) {
    BlockWriter<Key>& part = *parts[p];
    if (spill && !writeAll(out.file_, part.bytes_.get(), part.used_, reason)) {
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
  if (file_ >= 0 && !readAll(file_, spilled, info.bytes, info.offset)) {
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
  if (file_ >= 0) close(file_);
  file_ = -1;
  charge_.release();
  size_ = 0;
  bytes_ = 0;
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
