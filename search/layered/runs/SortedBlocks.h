// Sorted runs of distinct keys, stored compressed: the finished layers of the
// layered search and the runs it sorts its children into.
//
// A run is cut into blocks of at most blockKeys keys. The block list keeps
// each block's first key whole, so a key is found by a binary search over
// the blocks and a scan of one; the rest are gaps (keys/KeyCoding.h). A finished
// run lives in one buffer of its size (its writer's, trimmed, when that one
// can be), or, when the search spills, in a file of its own that is unlinked
// as soon as it is made, so nothing is left behind whatever way the process
// ends.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "SpillFile.h"
#include "search/core/SolveTypes.h"
#include "search/layered/keys/KeyCoding.h"
#include "search/memory/ByteBuffer.h"
#include "search/memory/MemoryBudget.h"

constexpr int blockKeys = 1024;
// Why a writer that spills stopped, when the budget and not the disk
// refused.
constexpr const char* budgetRefusal = "memory budget";

template <typename Key>
struct BlockInfo {
  Key first;
  uint64_t offset;  // in the run's buffer or file
  uint32_t count;
  uint32_t bytes;
};

// On disk, the block list goes to the file too, chunkBlocks blocks at a
// time, and only a line a chunk stays in memory: what a spilled run holds
// in memory does not grow with it. Beside a chunk's blocks, a writer may
// write a 32-bit value a key (the layers' back moves) to a file of them.
constexpr int chunkBlocks = 64;

template <typename Key>
struct IndexChunk {
  Key first;            // the first key of its first block
  uint64_t offset;      // of its blocks' lines (BlockInfo) in the file
  uint64_t sideOffset;  // of its keys' values in the file of them
  uint64_t firstBlock;  // the number of its first block in the run
  uint32_t count;       // of blocks
};

template <typename Key>
class BlockWriter;

template <typename Key>
class SortedBlocks {
 public:
  SortedBlocks() = default;
  SortedBlocks(SortedBlocks&& other) noexcept { swap(other); }
  SortedBlocks& operator=(SortedBlocks&& other) noexcept {
    SortedBlocks(std::move(other)).swap(*this);
    return *this;
  }
  ~SortedBlocks() { clear(); }

  // The runs of `parts`, one after another, in one run of `storage`; their
  // keys must ascend across them. Resets the writers, which keep their
  // memory. Nothing when the run is stored; else why not (the budget or the
  // system refused memory, the spill folder could not be written).
  static std::optional<SearchFailure> concatenate(BlockWriter<Key>* const* parts, size_t count,
                                                  const RunStorage& storage, SortedBlocks& out);
  // A run that its writers spilled as they went (BlockWriter::spillTo):
  // their blocks, one after another, in their file. Clears the writers.
  // Nothing when the run is stored, else why not.
  static std::optional<SearchFailure> gather(BlockWriter<Key>* const* parts, size_t count,
                                             const std::shared_ptr<SpillFile>& file,
                                             MemoryBudget* budget, SortedBlocks& out);
  // Takes the run of `writer` where it lies, with its memory and charge:
  // a mapped buffer gives back its pages past the run, a buffer from the heap
  // is taken only when the run fills nearly all of it. False, taking
  // nothing, otherwise.
  static bool adopt(BlockWriter<Key>& writer, SortedBlocks& out);

  uint64_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  size_t blockCount() const { return chunks_.empty() ? blocks_.size() : blockCount_; }
  // Block i's line: from memory, or read from the file (all zeros, setting
  // readFailed(), when that fails).
  BlockInfo<Key> block(size_t i) const { return chunks_.empty() ? blocks_[i] : blockOnDisk(i); }
  // Where the value of block i's first key lies in the file of the values
  // its writers wrote beside the keys; the block's others follow it.
  uint64_t sideOffset(size_t i) const;
  // Bytes of keys held, in memory or on disk.
  uint64_t storedBytes() const { return bytes_; }

  // Decodes block i into `keys` (room for blockKeys); returns the count.
  // A spill file that cannot be read back gives no keys and sets
  // readFailed().
  int decodeBlock(size_t i, Key* keys) const;
  bool readFailed() const { return readFailed_.load(std::memory_order_relaxed); }
  // The first block that may hold `key`: the last whose first key is not
  // above it (0 when none is).
  size_t blockFor(const Key& key) const;
  bool contains(const Key& key) const;

  void clear();
  // Clears a run that lies alone in its stretch of a spill file, giving
  // that stretch of disk back at once.
  void clearAndFreeDisk();
  void swap(SortedBlocks& other) noexcept;

 private:
  BlockInfo<Key> blockOnDisk(size_t i) const;
  size_t chunkOf(size_t block) const;
  // Reads the lines of chunk c into `lines` (room for chunkBlocks).
  bool readChunk(size_t c, BlockInfo<Key>* lines) const;

  std::vector<BlockInfo<Key>> blocks_;
  std::vector<IndexChunk<Key>> chunks_;  // when the lines are on disk
  uint64_t blockCount_ = 0;
  // The stretch of the file of a run that one writer wrote alone.
  uint64_t extentFrom_ = 0;
  uint64_t extentTo_ = 0;
  uint64_t size_ = 0;
  uint64_t bytes_ = 0;
  ByteBuffer data_;
  std::shared_ptr<SpillFile> file_;
  BudgetCharge charge_;
  mutable std::atomic<bool> readFailed_{false};
};

// Builds a run in memory, key by key in ascending order.
template <typename Key>
class BlockWriter {
 public:
  // Charged to `budget` as it grows; to none when null.
  explicit BlockWriter(MemoryBudget* budget = nullptr) : charge_(budget) {}
  BlockWriter(BlockWriter&& other) noexcept { *this = std::move(other); }
  BlockWriter& operator=(BlockWriter&& other) noexcept {
    if (this == &other) return *this;
    clear();
    charge_ = std::move(other.charge_);
    bytes_ = std::move(other.bytes_);
    used_ = other.used_;
    capacity_ = other.capacity_;
    room_ = other.room_;
    ceiling_ = other.ceiling_;
    other.used_ = other.capacity_ = other.room_ = 0;
    blocks_ = std::move(other.blocks_);
    file_ = std::move(other.file_);
    sideFile_ = std::move(other.sideFile_);
    spilledBlocks_ = other.spilledBlocks_;
    spilledBytes_ = other.spilledBytes_;
    indexed_ = other.indexed_;
    chunks_ = std::move(other.chunks_);
    sides_ = std::move(other.sides_);
    extentFrom_ = other.extentFrom_;
    extentTo_ = other.extentTo_;
    size_ = other.size_;
    inBlock_ = other.inBlock_;
    previous_ = other.previous_;
    other.clear();
    return *this;
  }
  ~BlockWriter() { clear(); }

  // Appends `key`, not below any key so far; false when the budget refuses.
  bool append(const Key& key) {
    if (inBlock_ == blockKeys || blocks_.empty()) {
      if (!startBlock(key)) return false;
      return true;
    }
    if (size_t{KeyCoding<Key>::maxBytes} > capacity_ - used_ && !grow(growthStep())) {
      return false;
    }
    uint8_t* at = bytes_.get() + used_;
    const size_t used = KeyCoding<Key>::put(at, previous_, key) - at;
    used_ += used;
    blocks_.back().bytes += static_cast<uint32_t>(used);
    ++blocks_.back().count;
    ++inBlock_;
    ++size_;
    previous_ = key;
    return true;
  }

  // Room for `bytes` bytes of keys in all, charged at once; false when the
  // budget or the system refuses.
  bool reserve(size_t bytes) { return bytes <= capacity_ || grow(bytes - capacity_); }
  // The most bytes the run may take. The first growth maps that much, which
  // the system fills only as keys are written; the run then grows in place,
  // charged step by step, and what it leaves unwritten goes back when a
  // SortedBlocks adopts it.
  void growInPlaceUpTo(size_t bytes) { ceiling_ = bytes; }

  uint64_t size() const { return size_; }
  // Bytes of keys written.
  size_t bytes() const { return used_; }
  // Bytes of keys that can be written without growing.
  size_t capacity() const { return capacity_; }
  size_t blockCount() const { return indexed_ + blocks_.size(); }
  // Of a block whose line is in memory: all of them, unless spilling.
  uint32_t blockSize(size_t i) const { return blocks_[i - indexed_].count; }
  // Forgets the keys, giving the memory back.
  void clear();
  // Forgets the keys, keeping the memory (still charged) for the next run.
  void reset() {
    used_ = 0;
    blocks_.clear();
    size_ = 0;
    inBlock_ = 0;
    forgetSpill();
  }

  // From now on writes its finished blocks to `file` whenever they fill
  // spillBytes, and their lines by chunks, so that it holds about that much
  // in memory; with a `sideFile`, also the values given to append() beside
  // the keys. Before the first key.
  void spillTo(std::shared_ptr<SpillFile> file, std::shared_ptr<SpillFile> sideFile = nullptr) {
    file_ = std::move(file);
    sideFile_ = std::move(sideFile);
  }
  // Appends `key` with its value for the side file.
  bool append(const Key& key, uint32_t side) {
    if (sides_.capacity() == 0 && !holdSides()) return false;
    if (!append(key)) return false;
    sides_.push_back(side);  // at most a chunk and a spill's worth of them
    return true;
  }
  // Writes everything it holds to its files, the run then finished, and
  // gives back its buffers; false when the disk or the budget refuses
  // (failure()).
  bool finishSpill();
  // Why append() or spill() last returned false: the disk's reason, or the
  // memory budget.
  SearchFailure failure() const {
    if (spillFailure_.empty() || spillFailure_ == budgetRefusal) {
      return SearchFailure{SolveOutcome::outOfMemory, std::string()};
    }
    return SearchFailure{SolveOutcome::spillFailed, spillFailure_};
  }
  static constexpr size_t spillBytes = size_t{8} << 10;

 private:
  friend class SortedBlocks<Key>;
  bool startBlock(const Key& key);
  bool spill(std::string& failure);
  // Writes the lines of the first `count` blocks, and their keys' values.
  bool writeChunk(size_t count, std::string& failure);
  // Room for the values not yet written, charged; given back when the run
  // is finished.
  bool holdSides();
  void releaseSides();
  // Frees the key buffer and the block lines, without touching the charge.
  void dropBuffers();
  void forgetSpill();
  bool grow(size_t more);
  // Within the room mapped, growing copies nothing: by small steps, so that
  // the charge stays near the bytes written. Beyond it, by doubling.
  size_t growthStep() const {
    if (room_ >= capacity_ + 4096) {
      return std::min(room_ - capacity_, std::max<size_t>(size_t{64} << 10, capacity_ / 8));
    }
    return std::max<size_t>(4096, capacity_);
  }

  // The memory the keys' buffer takes from the system once capacity_ bytes
  // are written: huge pages of a room are filled whole.
  size_t keyBytesHeld() const {
    return room_ > capacity_ ? ByteBuffer::filledFor(capacity_, room_) : capacity_;
  }

  BudgetCharge charge_;
  ByteBuffer bytes_;
  size_t used_ = 0;
  size_t capacity_ = 0;  // bytes of keys that can be written
  size_t room_ = 0;      // bytes the buffer spans, capacity_ or more
  size_t ceiling_ = 0;
  std::vector<BlockInfo<Key>> blocks_;
  uint64_t size_ = 0;
  int inBlock_ = 0;
  Key previous_{};
  // When spilling: the files; the blocks written there, counted from the
  // run's first (their offsets are the file's; the others' the buffer's),
  // and the bytes; the blocks whose lines are written by chunks, which
  // blocks_ then no longer holds; the values not yet written; the stretch
  // of the file written.
  std::shared_ptr<SpillFile> file_;
  std::shared_ptr<SpillFile> sideFile_;
  size_t spilledBlocks_ = 0;
  uint64_t spilledBytes_ = 0;
  size_t indexed_ = 0;
  std::vector<IndexChunk<Key>> chunks_;
  std::vector<uint32_t> sides_;
  uint64_t extentFrom_ = UINT64_MAX;
  uint64_t extentTo_ = 0;
  std::string spillFailure_;
};

// Reads a run from a given key on, optionally stopping before another.
template <typename Key>
class RunCursor {
 public:
  RunCursor() = default;
  // Positions on the first key of `run` not below `from` (from the start
  // when `from` is null); stops before `before` when that is not null.
  RunCursor(const SortedBlocks<Key>* run, const Key* from, const Key* before)
      : run_(run), hasEnd_(before != nullptr) {
    if (before) end_ = *before;
    if (run == nullptr || run->empty()) return;
    block_ = from ? run->blockFor(*from) : 0;
    if (!load()) return;
    if (from) {
      while (pos_ != last_ && keys_[pos_] < *from) ++pos_;
      if (pos_ == last_) advanceBlock();
    }
  }

  bool valid() const { return pos_ != last_; }
  const Key& key() const { return keys_[pos_]; }
  void next() {
    if (++pos_ == last_) advanceBlock();
  }
  // Moves to the first key not below `key`.
  // Blocks wholly below `key` are skipped without being decoded.
  [[gnu::always_inline]] void seek(const Key& key) {
    if (valid() && keys_[last_ - 1] < key) {
      const size_t block = run_->blockFor(key);
      if (block > block_) {
        block_ = block;
        if (!load()) return;
      }
    }
    while (valid() && keys_[pos_] < key) next();
  }

 private:
  void advanceBlock() {
    ++block_;
    load();
  }
  bool load() {
    pos_ = last_ = 0;
    if (run_ == nullptr || block_ >= run_->blockCount()) return false;
    if (hasEnd_ && !(run_->block(block_).first < end_)) return false;
    last_ = run_->decodeBlock(block_, keys_);
    if (hasEnd_) last_ = static_cast<int>(std::lower_bound(keys_, keys_ + last_, end_) - keys_);
    return pos_ != last_;
  }

  const SortedBlocks<Key>* run_ = nullptr;
  size_t block_ = 0;
  bool hasEnd_ = false;
  Key end_{};
  Key keys_[blockKeys];
  int pos_ = 0;
  int last_ = 0;
};
