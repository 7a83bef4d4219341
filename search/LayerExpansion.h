// The children of one layer. Every thread takes blocks of the layer, decodes
// each position and writes the key of every move's result into a buffer of
// its own; a full buffer is sorted into a run (SortedBlocks.h), the rest is
// sorted in place, and the merge (LayeredSearch.cpp) reads them all.
//
// Back moves. A child reached from its parent by moving a piece can go back
// by moving that piece the other way: a move into the layer before. When the
// keys leave room (integer keys with eight bits to spare), a child is kept as its
// key with that back move in the low byte, and the merge keeps up to four
// back moves per position of the new layer; expanding the layer then skips
// them, which halves the children. Back moves beyond four are generated and
// taken out by the merge with the layer before, so nothing depends on it.
#pragma once

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

#include "KeyMerge.h"
#include "MoveTables.h"
#include "PieceGroups.h"
#include "RadixSort.h"
#include "SearchControl.h"
#include "SortedBlocks.h"

// Halts the search for a layer or run that could not be stored: the memory
// ran out, unless the spill folder is what refused.
inline void failToStore(SearchControl& control, const RunStorage& storage,
                        const std::string& failure) {
  const bool memory = storage.spillDirectory.empty() || failure == budgetRefusal;
  control.fail(memory ? SolveOutcome::outOfMemory : SolveOutcome::spillFailed, failure);
}

// Four back moves, a byte each (canonical piece * 4 + direction); 0xFF is none.
constexpr uint32_t noBackMoves = 0xFFFFFFFF;

// A buffer of keys that grows only when asked and is never cleared to zero.
// From two megabytes on it is mapped in huge pages: filled once a layer, it
// would otherwise cost a page fault every four kilobytes.
template <typename Key>
class KeyBuffer {
 public:
  Key* data() { return data_; }
  const Key* data() const { return data_; }
  size_t size() const { return size_; }
  size_t capacity() const { return capacity_; }
  void setSize(size_t size) { size_ = size; }
  void clear() { size_ = 0; }
  // Room for `capacity` keys, keeping those held; false when the system
  // refuses.
  bool reserve(size_t capacity) {
    if (capacity <= capacity_) return true;
    const size_t bytes = capacity * sizeof(Key);
    Block mapped;
    std::unique_ptr<Key[]> small;
    Key* grown;
    if (bytes >= hugePageBytes) {
      mapped = Block(bytes, true);
      grown = reinterpret_cast<Key*>(mapped.get());
    } else {
      small.reset(new (std::nothrow) Key[capacity]);
      grown = small.get();
    }
    if (grown == nullptr) return false;
    std::copy(data_, data_ + size_, grown);
    mapped_ = std::move(mapped);
    small_ = std::move(small);
    data_ = grown;
    capacity_ = capacity;
    return true;
  }
  void release() {
    mapped_ = Block();
    small_.reset();
    data_ = nullptr;
    size_ = capacity_ = 0;
  }

 private:
  Block mapped_;
  std::unique_ptr<Key[]> small_;
  Key* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

template <typename Codec, typename CellMask>
class LayerExpansion {
 public:
  using Key = typename Codec::KeyType;
  // Integer keys (64 or 128 bits) can carry back moves and be radix sorted.
  static constexpr bool isInteger = std::is_same_v<Key, uint64_t> || std::is_same_v<Key, Key128>;

  LayerExpansion(const Codec& codec, const PieceGroups& groups, const MoveTables<CellMask>& tables,
                 MemoryBudget& budget, SearchControl& control, const RunStorage& storage,
                 int threads, size_t bufferBytes)
      : codec_(codec),
        groups_(groups),
        tables_(tables),
        budget_(budget),
        control_(control),
        storage_(storage),
        workers_(threads) {
    if constexpr (isInteger) packed_ = codec.keyBits() <= 8 * static_cast<int>(sizeof(Key)) - 8;
    bufferKeys_ = std::max(bufferBytes / sizeof(Key) / threads, size_t{4} * groups.pieceCount + 1);
  }
  ~LayerExpansion() { release(); }

  // Whether children carry their back move in the low byte.
  bool packed() const { return packed_; }
  Key recordOf(const Key& key) const {
    if constexpr (isInteger) return packed_ ? key << 8 : key;
    return key;
  }
  Key keyOf(const Key& record) const {
    if constexpr (isInteger) return packed_ ? record >> 8 : record;
    return record;
  }
  uint8_t backOf(const Key& record) const {
    if constexpr (isInteger) return packed_ ? static_cast<uint8_t>(record) : 0xFF;
    return 0xFF;
  }

  // Expands every position of `layer` on up to `threads` threads;
  // `blockBacks`, when not empty, holds for each block of the layer where
  // the back moves of its positions start.
  void expand(const SortedBlocks<Key>& layer, const std::vector<const uint32_t*>& blockBacks) {
    std::atomic<size_t> nextBlock{0};
    const int threads = layer.blockCount() < 2 ? 1 : static_cast<int>(workers_.size());
    runOnThreads(threads, [&](int t) {
      Worker& worker = workers_[t];
      worker.decoded = typename Codec::Decoded();
      std::unique_ptr<Key[]> keys(new Key[blockKeys]);
      for (size_t b; (b = nextBlock.fetch_add(1)) < layer.blockCount() && !control_.halted();) {
        const int count = layer.decodeBlock(b, keys.get());
        for (int i = 0; i < count; ++i) {
          if (!makeRoom(worker)) return;
          expandOne(keys[i], blockBacks.empty() ? noBackMoves : blockBacks[b][i], worker);
        }
        control_.expanded += count;
        control_.poll();
      }
      sortRecords(worker, false);
      // The merge that follows needs no scratch: give it back until the next
      // sort, so that it does not add to the merge's peak.
      budget_.release(worker.scratch.capacity() * sizeof(Key));
      worker.charged -= worker.scratch.capacity() * sizeof(Key);
      worker.scratch.release();
    });
  }

  // Adds to `sources` every worker's records from `low` up to `high` (either
  // null for no bound), records as recordOf gives them.
  void addSources(const Key* low, const Key* high,
                  std::vector<std::unique_ptr<KeySource<Key>>>& sources) const {
    for (const Worker& worker : workers_) {
      const Key* begin = worker.records.data();
      const Key* end = begin + worker.records.size();
      if (low) begin = std::lower_bound(begin, end, *low);
      if (high) end = std::lower_bound(begin, end, *high);
      if (begin != end) sources.push_back(std::make_unique<KeySource<Key>>(begin, end));
      for (const SortedBlocks<Key>& run : worker.runs) {
        auto source = std::make_unique<KeySource<Key>>(&run, low, high);
        if (source->valid()) sources.push_back(std::move(source));
      }
    }
  }

  // Whether some worker sorted part of its children into runs.
  bool hasRuns() const {
    for (const Worker& worker : workers_) {
      if (!worker.runs.empty()) return true;
    }
    return false;
  }

  // Adds every worker's records from `low` up to `high` (either null for no
  // bound) to `ranges`; there must be no runs.
  void addRanges(const Key* low, const Key* high, std::vector<KeyRange<Key>>& ranges) const {
    for (const Worker& worker : workers_) {
      const Key* begin = worker.records.data();
      const Key* end = begin + worker.records.size();
      if (low) begin = std::lower_bound(begin, end, *low);
      if (high) end = std::lower_bound(begin, end, *high);
      if (begin != end) ranges.push_back({begin, end});
    }
  }

  // Empties the buffers for the next layer, keeping their memory.
  void clear() {
    for (Worker& worker : workers_) {
      worker.records.clear();
      worker.runs.clear();
    }
  }

  void release() {
    for (Worker& worker : workers_) {
      worker.records.release();
      worker.scratch.release();
      worker.runs.clear();
      budget_.release(worker.charged);
      worker.charged = 0;
    }
  }

 private:
  struct alignas(128) Worker {
    KeyBuffer<Key> records;
    KeyBuffer<Key> scratch;  // for the radix sort
    size_t charged = 0;
    std::vector<SortedBlocks<Key>> runs;
    typename Codec::Decoded decoded;
  };

  static bool isBackMove(uint32_t backs, uint32_t move) {
    const uint32_t x = backs ^ (move * 0x01010101u);
    return ((x - 0x01010101u) & ~x & 0x80808080u) != 0;  // some byte equals move
  }

  void expandOne(const Key& key, uint32_t backs, Worker& worker) {
    typename Codec::Decoded& d = worker.decoded;
    codec_.decode(key, d);
    // The legal moves as bits 4k + direction, found without branches: the
    // pieces that can move are few and unpredictable. Each word of 16 pieces
    // is gathered in a register: or-ing into the array would chain every
    // piece's bits to the previous one's store.
    uint64_t legal[maxLoggedPieces / 16] = {};
    const CellMask occupied = d.occupied;
    for (int first = 0; first < groups_.pieceCount; first += 16) {
      const int end = std::min(first + 16, groups_.pieceCount);
      uint64_t word = 0;
      for (int k = first; k < end; ++k) {
        const CellMask* entered = tables_.entered[groups_.shapeOf[k]][d.cell[k]];
        const uint64_t moves =
            uint64_t{(entered[0] & occupied) == 0} | uint64_t{(entered[1] & occupied) == 0} << 1 |
            uint64_t{(entered[2] & occupied) == 0} << 2 |
            uint64_t{(entered[3] & occupied) == 0} << 3;
        word |= moves << (4 * (k - first));
      }
      legal[first >> 4] = word;
    }
    for (uint32_t rest = backs; rest != noBackMoves; rest = rest >> 8 | 0xFF000000u) {
      const uint32_t back = rest & 0xFF;
      legal[back >> 6] &= ~(uint64_t{1} << (back & 63));
    }
    Key* out = worker.records.data() + worker.records.size();
    for (int word = 0; word <= (groups_.pieceCount - 1) >> 4; ++word) {
      for (uint64_t bits = legal[word]; bits != 0; bits &= bits - 1) {
        const int move = 64 * word + __builtin_ctzll(bits);
        const int k = move >> 2;
        const int direction = move & 3;
        int movedTo;
        const Key child =
            codec_.childKey(d, k, tables_.step[groups_.shapeOf[k]][d.cell[k]][direction], movedTo);
        if constexpr (isInteger) {
          // Codes 0/1 and 2/3 are opposite directions.
          *out++ = packed_ ? child << 8 | static_cast<Key>(4 * movedTo + (direction ^ 1)) : child;
        } else {
          *out++ = child;
        }
      }
    }
    worker.records.setSize(out - worker.records.data());
  }

  // Grows the worker's buffer up to its share, then sorts it into a run.
  bool makeRoom(Worker& worker) {
    const size_t most = size_t{4} * groups_.pieceCount;
    KeyBuffer<Key>& records = worker.records;
    if (records.size() + most <= records.capacity()) return true;
    if (records.capacity() < bufferKeys_) {
      const size_t capacity = std::min(bufferKeys_, std::max(2 * records.capacity(), size_t{4096}));
      const size_t more = (capacity - records.capacity()) * sizeof(Key);
      if (!charge(worker, more)) return false;
      if (records.reserve(capacity)) return true;
      control_.fail(SolveOutcome::outOfMemory);
      return false;
    }
    return flush(worker);
  }

  bool charge(Worker& worker, size_t bytes) {
    if (!budget_.charge(bytes)) {
      control_.fail(SolveOutcome::outOfMemory);
      return false;
    }
    worker.charged += bytes;
    return true;
  }

  bool flush(Worker& worker) {
    if (!sortRecords(worker, true)) return false;
    BlockWriter<Key> run(&budget_);
    for (size_t i = 0; i < worker.records.size(); ++i) {
      if (!run.append(worker.records.data()[i])) {
        control_.fail(SolveOutcome::outOfMemory);
        return false;
      }
    }
    worker.records.clear();
    SortedBlocks<Key> blocks;
    std::string failure;
    BlockWriter<Key>* const runs[] = {&run};
    if (!SortedBlocks<Key>::concatenate(runs, 1, storage_, blocks, failure)) {
      failToStore(control_, storage_, failure);
      return false;
    }
    worker.runs.push_back(std::move(blocks));
    return true;
  }

  // Sorts the worker's records. Repeats are left for the merge, which reads
  // them as one. The merge needs the keys in order, not the back moves
  // beside them; a run, whose gaps are coded, needs both.
  bool sortRecords(Worker& worker, bool forRun) {
    KeyBuffer<Key>& records = worker.records;
    if constexpr (isInteger) {
      if (worker.scratch.capacity() < records.size()) {
        // Sized like the buffer, which only grows.
        if (!charge(worker, (records.capacity() - worker.scratch.capacity()) * sizeof(Key))) {
          return false;
        }
        worker.scratch.release();
        if (!worker.scratch.reserve(records.capacity())) {
          control_.fail(SolveOutcome::outOfMemory);
          return false;
        }
      }
      const int backBits = packed_ ? 8 : 0;
      radixSort(records.data(), worker.scratch.data(), records.size(), forRun ? 0 : backBits,
                codec_.keyBits() + backBits, [this] { control_.poll(); });
    } else {
      std::sort(records.data(), records.data() + records.size());
    }
    return !control_.halted();
  }

  const Codec& codec_;
  const PieceGroups& groups_;
  const MoveTables<CellMask>& tables_;
  MemoryBudget& budget_;
  SearchControl& control_;
  const RunStorage& storage_;
  std::vector<Worker> workers_;
  size_t bufferKeys_ = 0;
  bool packed_ = false;
};
