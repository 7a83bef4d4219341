// The children of one layer. Every thread takes blocks of the layer, decodes
// each position and writes the key of every move's result into a buffer of
// its own; a full buffer is sorted into a run (SortedBlocks.h), the rest is
// sorted in place, and the merge (LayeredSearch.cpp) reads them all.
//
// Back moves. A child reached from its parent by moving a piece can go back
// by moving that piece the other way: a move into the layer before. When the
// keys leave room (integer keys with a byte or more to spare), a child is
// kept as its key with its back moves in the low bytes, up to four: the one
// to its parent, and those of the parent's back moves that commute with the
// move made. The merge joins the back moves of a position's children, up to
// four; expanding the layer then skips them. Back moves not known are
// generated and taken out by the merge with the layer before, so nothing
// depends on how many are known.
//
// Commuting moves. Most positions are reached from several parents, by
// moves of pieces that leave each other's way; such a child is made once, by
// the parent whose move comes last in a fixed order (the design note in
// LayeredSearch.cpp says why that parent is always there). This takes away
// two children in three on large boards.
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
#include "ThreadTeam.h"

// Halts the search for a layer or run that could not be stored: the memory
// ran out, unless the spill folder is what refused.
inline void failToStore(SearchControl& control, const RunStorage& storage,
                        const std::string& failure) {
  const bool memory = storage.spillDirectory.empty() || failure == budgetRefusal;
  control.fail(memory ? SolveOutcome::outOfMemory : SolveOutcome::spillFailed, failure);
}

// Four back moves, a byte each (canonical piece * 4 + direction) from the
// lowest; 0xFF is none.
constexpr uint32_t noBackMoves = 0xFFFFFFFF;
constexpr int maxBackBytes = 4;

// Whether some byte of `backs` equals `move`.
inline bool holdsBack(uint32_t backs, uint32_t move) {
  const uint32_t x = backs ^ (move * 0x01010101u);
  return ((x - 0x01010101u) & ~x & 0x80808080u) != 0;
}

// `backs` with those of `more` it lacks, up to `most` in all.
inline uint32_t joinBacks(uint32_t backs, uint32_t more, int most) {
  // A child's own back moves differ from each other.
  if (backs == noBackMoves && most == maxBackBytes) return more;
  int count = 0;
  while (count < maxBackBytes && (backs >> (8 * count) & 0xFF) != 0xFF) ++count;
  for (; more != noBackMoves && count < most; more = more >> 8 | 0xFF000000u) {
    const uint32_t back = more & 0xFF;
    if (holdsBack(backs, back)) continue;
    backs = (backs & ~(0xFFu << (8 * count))) | back << (8 * count);
    ++count;
  }
  return backs;
}

// A buffer of keys that grows only when asked and is never cleared to zero.
// From `mappedFrom` bytes on it is mapped in whole huge pages: filled once a
// layer, it would otherwise cost a page fault every four kilobytes, and on
// some machines such a fault costs 25 times more per byte than a huge page's
// (10 against 0.4 microseconds on our 2-core test machine). Below that it
// comes from the heap. A buffer told how far it may grow maps that much at
// once and then grows in place: the system gives memory only as keys are
// written, and growing copies nothing.
template <typename Key, size_t mappedFrom = (size_t{256} << 10)>
class KeyBuffer {
 public:
  // The capacity that reserve(keys) gives: huge pages are taken whole.
  static size_t capacityFor(size_t keys) {
    const size_t bytes = keys * sizeof(Key);
    return bytes < mappedFrom ? keys : Block::heldFor(bytes) / sizeof(Key);
  }

  Key* data() { return data_; }
  const Key* data() const { return data_; }
  size_t size() const { return size_; }
  size_t capacity() const { return capacity_; }
  void setSize(size_t size) { size_ = size; }
  void clear() { size_ = 0; }
  // The most keys reserve() will be asked for: a buffer that maps anew maps
  // that many, and grows in place up to them.
  void growInPlaceUpTo(size_t keys) { ceiling_ = keys; }
  // Appends `key`, doubling the room when full; false when the system
  // refuses.
  bool push(const Key& key) {
    if (size_ == capacity_ && !reserve(std::max(2 * capacity_, size_t{1024}))) return false;
    data_[size_++] = key;
    return true;
  }
  // Room for `capacity` keys, keeping those held; false when the system
  // refuses.
  bool reserve(size_t wanted) {
    if (wanted <= capacity_) return true;
    const size_t capacity = capacityFor(wanted);
    if (capacity <= mappedKeys_) {
      capacity_ = capacity;
      return true;
    }
    const size_t bytes = capacity * sizeof(Key);
    Block mapped;
    size_t mappedKeys = 0;
    std::unique_ptr<Key[]> small;
    Key* grown;
    if (bytes >= mappedFrom) {
      mappedKeys = capacityFor(std::max(capacity, ceiling_));
      mapped = Block(mappedKeys * sizeof(Key), true);
      grown = reinterpret_cast<Key*>(mapped.get());
    } else {
      small.reset(new (std::nothrow) Key[capacity]);
      grown = small.get();
    }
    if (grown == nullptr) return false;
    std::copy(data_, data_ + size_, grown);
    mapped_ = std::move(mapped);
    mappedKeys_ = mappedKeys;
    small_ = std::move(small);
    data_ = grown;
    capacity_ = capacity;
    return true;
  }
  void release() {
    mapped_ = Block();
    small_.reset();
    data_ = nullptr;
    size_ = capacity_ = mappedKeys_ = 0;
  }

 private:
  Block mapped_;
  size_t mappedKeys_ = 0;  // keys the mapping holds, capacity_ or more
  size_t ceiling_ = 0;
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
                 ThreadTeam& team, int backBytes, size_t bufferBytes)
      : codec_(codec),
        groups_(groups),
        tables_(tables),
        budget_(budget),
        control_(control),
        storage_(storage),
        team_(team),
        workers_(team.size()) {
    if constexpr (isInteger) {
      const int spare = 8 * static_cast<int>(sizeof(Key)) - codec.keyBits();
      backBytes_ = std::clamp(std::min(spare / 8, backBytes), 0, maxBackBytes);
    }
    bufferKeys_ =
        std::max(bufferBytes / sizeof(Key) / team.size(), size_t{4} * groups.pieceCount + 1);
    for (Worker& worker : workers_) worker.records.growInPlaceUpTo(bufferKeys_);
  }
  ~LayerExpansion() { release(); }

  // Whether children carry back moves in their low bytes.
  bool packed() const { return backBytes_ > 0; }
  int backBits() const { return 8 * backBytes_; }
  // The bits of a record's back moves, in its low 32.
  uint32_t backMask() const { return backBytes_ == 4 ? ~0u : (1u << backBits()) - 1; }
  Key recordOf(const Key& key) const {
    if constexpr (isInteger) return key << backBits();
    return key;
  }
  Key keyOf(const Key& record) const {
    if constexpr (isInteger) return record >> backBits();
    return record;
  }
  // A record's back moves, a byte each from the lowest, 0xFF beyond them.
  uint32_t backsOf(const Key& record) const {
    if constexpr (isInteger) {
      return (static_cast<uint32_t>(record) & backMask()) | ~backMask();
    }
    return noBackMoves;
  }

  // From now on, children from which piece 0 (of shape `shape`) enters
  // `goalCell` in one move are also kept apart, as next to the goal.
  // `near` flags piece 0's places within two moves of the goal.
  void watchGoal(int shape, int goalCell, const bool* near) {
    for (int direction = 0; direction < moveDirectionCount; ++direction) {
      const uint8_t from = tables_.step[shape][goalCell][direction ^ 1];
      if (from == noCell || tables_.step[shape][from][direction] != goalCell) continue;
      nextToGoal_[from] = true;
      goalEnters_[from] = tables_.entered[shape][from][direction];
    }
    std::copy(near, near + maxBoardCells, nearGoal_);
    nearGoal_[goalCell] = false;
  }

  // Whether expand() also keeps apart the children whose piece 0 stands
  // where one move takes it next to the goal (nearRecords()).
  void keepNearGoal(bool keep) { keepNearGoal_ = keep; }

  // Key ranges, first to last, disjoint and in order.
  using KeyRanges = std::vector<std::pair<Key, Key>>;

  // Expands every position of `layer` on up to `threads` threads;
  // `blockBacks`, when not empty, holds for each block of the layer where
  // the back moves of its positions start. The positions in `first` go
  // first; when their children include some next to the goal, the others
  // are left and this returns true (childrenNextToGoal() has them all:
  // only a parent in `first` can make one). Between the two, `stop()` may
  // end it too (returning true).
  template <typename Stop>
  bool expand(const SortedBlocks<Key>& layer, const std::vector<const uint32_t*>& blockBacks,
              const KeyRanges& first, Stop stop) {
    // The blocks that may hold positions of `first`.
    std::vector<bool> shared(layer.blockCount(), false);
    std::vector<size_t> order;
    for (size_t b = 0; b < layer.blockCount(); ++b) {
      const Key& low = layer.block(b).first;
      for (const auto& [from, to] : first) {
        const bool after = b + 1 < layer.blockCount() && !(from < layer.block(b + 1).first);
        if (!(to < low) && !after) shared[b] = true;
      }
      if (shared[b]) order.push_back(b);
    }
    const size_t split = order.size();
    // Both passes on the same threads: each sorts what it generated.
    const int threads = layer.blockCount() < 2 ? 1 : static_cast<int>(workers_.size());
    for (size_t b = 0; b < layer.blockCount(); ++b) {
      order.push_back(b);
    }
    if (split > 0) {
      expandBlocks(layer, blockBacks, order.data(), split, threads, false, first, shared, true);
      if (control_.halted()) return false;
      for (const Worker& worker : workers_) {
        if (!worker.nextToGoal.empty()) return true;
      }
      if (stop() || control_.halted()) return true;
    }
    expandBlocks(layer, blockBacks, order.data() + split, order.size() - split, threads, true,
                 first, shared, false);
    return false;
  }

  // The records kept by keepNearGoal(true) since the last clear(): each
  // worker's, sorted by key.
  std::vector<KeyRange<Key>> nearRecords() const {
    std::vector<KeyRange<Key>> ranges;
    for (const Worker& worker : workers_) {
      const Key* begin = worker.nearRecords.data();
      if (worker.nearRecords.size() > 0)
        ranges.push_back({begin, begin + worker.nearRecords.size()});
    }
    return ranges;
  }

  // Expands positions[0..count) with their back moves `backs` (none when
  // empty), only to find their children next to the goal; the others are
  // dropped. True when there are some (childrenNextToGoal()).
  bool probe(const Key* positions, const uint32_t* backs, size_t count) {
    std::atomic<size_t> next{0};
    constexpr size_t chunk = 4096;
    const int threads = count <= chunk ? 1 : static_cast<int>(workers_.size());
    const bool keep = keepNearGoal_;
    keepNearGoal_ = false;
    team_.run(threads, [&](int t) {
      Worker& worker = startWorker(t);
      const size_t heldNextToGoal = worker.nextToGoal.capacity();
      for (size_t begin; (begin = next.fetch_add(chunk)) < count && !control_.halted();) {
        for (size_t i = begin; i < std::min(count, begin + chunk); ++i) {
          if (!makeRoom(worker)) return;
          const size_t held = worker.records.size();
          expandOne(positions[i], backs ? backs[i] : noBackMoves, worker);
          worker.records.setSize(held);
        }
        control_.expanded += std::min(count, begin + chunk) - begin;
        control_.poll();
      }
      charge(worker, (worker.nextToGoal.capacity() - heldNextToGoal) * sizeof(Key));
    });
    keepNearGoal_ = keep;
    for (const Worker& worker : workers_) {
      if (!worker.nextToGoal.empty()) return true;
    }
    return false;
  }

  // The children next to the goal that the last expand() found, sorted,
  // without repeats.
  std::vector<Key> childrenNextToGoal() const {
    std::vector<Key> found;
    for (const Worker& worker : workers_) {
      found.insert(found.end(), worker.nextToGoal.begin(), worker.nextToGoal.end());
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
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
      worker.nextToGoal.clear();
      worker.nearRecords.clear();
    }
  }

  void release() {
    for (Worker& worker : workers_) {
      worker.records.release();
      worker.scratch.release();
      worker.runs.clear();
      worker.nextToGoal = std::vector<Key>();
      worker.nearRecords.release();
      budget_.release(worker.charged);
      worker.charged = 0;
    }
  }

 private:
  // Expands `count` blocks of `layer`, those `blocks` lists, on the first
  // `threads` workers, and sorts their buffers if `last`.
  // Of the blocks that `shared` flags, only the positions that are in
  // `ranges` when `inside`, outside them otherwise.
  void expandBlocks(const SortedBlocks<Key>& layer, const std::vector<const uint32_t*>& blockBacks,
                    const size_t* blocks, size_t count, int threads, bool last,
                    const KeyRanges& ranges, const std::vector<bool>& shared, bool inside) {
    std::atomic<size_t> next{0};
    team_.run(threads, [&](int t) {
      Worker& worker = startWorker(t);
      const size_t heldNextToGoal = worker.nextToGoal.capacity();
      const size_t heldNear = worker.nearRecords.capacity();
      std::unique_ptr<Key[]> keys(new Key[blockKeys]);
      for (size_t n; (n = next.fetch_add(1)) < count && !control_.halted();) {
        const size_t b = blocks[n];
        const int size = layer.decodeBlock(b, keys.get());
        size_t range = 0;
        int expanded = 0;
        for (int i = 0; i < size; ++i) {
          if (shared[b]) {
            while (range < ranges.size() && ranges[range].second < keys[i]) ++range;
            const bool in = range < ranges.size() && !(keys[i] < ranges[range].first);
            if (in != inside) continue;
          }
          if (!makeRoom(worker)) return;
          expandOne(keys[i], blockBacks.empty() ? noBackMoves : blockBacks[b][i], worker);
          ++expanded;
        }
        control_.expanded += expanded;
        control_.poll();
      }
      if (!charge(worker, (worker.nextToGoal.capacity() - heldNextToGoal +
                           worker.nearRecords.capacity() - heldNear) *
                              sizeof(Key))) {
        return;
      }
      if (!last) {
        if (keepNearGoal_) sortNearRecords(worker);
        return;
      }
      sortRecords(worker);
      // The merge that follows needs no scratch. But fresh memory costs the
      // system time to clear (up to 6 % of a search's time in our profiles),
      // so the scratch stays for the next layer's sort while the search
      // holds less than half its budget; nearer the limit it goes back, so
      // that it does not add to the merge's peak.
      if (2 * budget_.held() <= budget_.limit()) return;
      budget_.release(worker.scratch.capacity() * sizeof(Key));
      worker.charged -= worker.scratch.capacity() * sizeof(Key);
      worker.scratch.release();
    });
  }

  // A move of a piece above the last group: the cells it enters, its bit in
  // its word of legal moves.
  struct UpperMove {
    CellMask enters;
    int bit;
  };

  struct alignas(128) Worker {
    KeyBuffer<Key> records;
    KeyBuffer<Key> scratch;  // for the radix sort
    size_t charged = 0;
    std::vector<SortedBlocks<Key>> runs;
    typename Codec::Decoded decoded;
    // findUpperMoves' list, by word of the legal-move bits, as of
    // decoded.upperChanges.
    uint32_t upperChanges = 0;
    int upperWords = 0;
    int wordStart[maxLoggedPieces / 16 + 1] = {};
    UpperMove upperMoves[4 * maxLoggedPieces];
    std::vector<Key> nextToGoal;  // children from which piece 0 enters the goal
    KeyBuffer<Key> nearRecords;   // see keepNearGoal()
  };

  // Worker t, ready to decode keys in order from the first.
  Worker& startWorker(int t) {
    Worker& worker = workers_[t];
    worker.decoded = typename Codec::Decoded();
    worker.upperChanges = 0;
    worker.upperWords = 0;
    return worker;
  }

  // Lists the moves of the pieces above the last group that those pieces
  // leave room for: while these pieces stay, only the last group can block them.
  void findUpperMoves(const typename Codec::Decoded& d, Worker& worker) const {
    const int upper = groups_.groups[groups_.groupCount - 1].first;
    int count = 0;
    worker.upperWords = (upper + 15) >> 4;
    for (int k = 0; k < upper; ++k) {
      if ((k & 15) == 0) worker.wordStart[k >> 4] = count;
      const CellMask* entered = tables_.entered[groups_.shapeOf[k]][d.cell[k]];
      for (int direction = 0; direction < moveDirectionCount; ++direction) {
        // Written every time, kept when free: the test is unpredictable.
        worker.upperMoves[count] = {entered[direction], 4 * (k & 15) + direction};
        count += (entered[direction] & d.taken) == 0;
      }
    }
    worker.wordStart[worker.upperWords] = count;
    worker.upperChanges = d.upperChanges;
  }

  // A move that brought a position from the layer before: its piece (by
  // canonical index in the position), the cells it left free, its order.
  struct Arrival {
    int piece;
    uint8_t back;  // the byte of the move back
    uint32_t order;
    CellMask vacated;
  };

  // Moves in a fixed order that does not depend on the position: by origin,
  // direction and shape (two pieces of one position never share all three).
  static uint32_t moveOrder(int shape, int cell, int direction) {
    return (static_cast<uint32_t>(cell) * moveDirectionCount + direction) * 32 + shape;
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
    int first = 0;
    if constexpr (Codec::keepsUpperGroups) {
      // Keys in sorted order mostly differ in the last group alone; the moves
      // the other groups leave each other are then those of the key before.
      if (worker.upperChanges != d.upperChanges) findUpperMoves(d, worker);
      const CellMask lastCells = occupied & ~d.taken;
      for (int word = 0; word < worker.upperWords; ++word) {
        uint64_t bits = 0;
        for (int m = worker.wordStart[word]; m < worker.wordStart[word + 1]; ++m) {
          const UpperMove& move = worker.upperMoves[m];
          bits |= uint64_t{(move.enters & lastCells) == 0} << move.bit;
        }
        legal[word] = bits;
      }
      first = groups_.groups[groups_.groupCount - 1].first;
    }
    while (first < groups_.pieceCount) {
      const int end = std::min((first & ~15) + 16, groups_.pieceCount);
      uint64_t word = 0;
      for (int k = first; k < end; ++k) {
        const CellMask* entered = tables_.entered[groups_.shapeOf[k]][d.cell[k]];
        const uint64_t moves = uint64_t{(entered[0] & occupied) == 0} |
                               uint64_t{(entered[1] & occupied) == 0} << 1 |
                               uint64_t{(entered[2] & occupied) == 0} << 2 |
                               uint64_t{(entered[3] & occupied) == 0} << 3;
        word |= moves << (4 * (k & 15));
      }
      legal[first >> 4] |= word;
      first = end;
    }
    Arrival arrivals[maxBackBytes];
    int arrivalCount = 0;
    for (uint32_t rest = backs; rest != noBackMoves; rest = rest >> 8 | 0xFF000000u) {
      const uint32_t back = rest & 0xFF;
      legal[back >> 6] &= ~(uint64_t{1} << (back & 63));
      const int piece = static_cast<int>(back >> 2);
      const int shape = groups_.shapeOf[piece];
      const int cell = d.cell[piece];
      const int direction = static_cast<int>(back & 3);
      arrivals[arrivalCount++] = {
          piece, static_cast<uint8_t>(back),
          moveOrder(shape, tables_.step[shape][cell][direction], direction ^ 1),
          tables_.entered[shape][cell][direction]};
    }
    Key* out = worker.records.data() + worker.records.size();
    for (int word = 0; word <= (groups_.pieceCount - 1) >> 4; ++word) {
      for (uint64_t bits = legal[word]; bits != 0; bits &= bits - 1) {
        const int move = 64 * word + __builtin_ctzll(bits);
        const int k = move >> 2;
        const int direction = move & 3;
        const int shape = groups_.shapeOf[k];
        const int cell = d.cell[k];
        // Moves of two pieces that leave each other's way commute. When this
        // one could have come before an arrival of a later order, the child
        // is also the child of the position that made it first (see the
        // design note): leave it to that one.
        const CellMask enters = tables_.entered[shape][cell][direction];
        const uint32_t order = moveOrder(shape, cell, direction);
        bool later = false;
        for (int a = 0; a < arrivalCount; ++a) {
          later |= arrivals[a].piece != k && order < arrivals[a].order &&
                   (enters & arrivals[a].vacated) == 0;
        }
        if (later) continue;
        int movedTo;
        const uint8_t to = tables_.step[shape][cell][direction];
        const Key child = codec_.childKey(d, k, to, movedTo);
        const int zeroCell = k == 0 ? to : d.cell[0];
        if (nextToGoal_[zeroCell]) {
          const CellMask childOccupied =
              (occupied & ~tables_.mask[shape][cell]) | tables_.mask[shape][to];
          if ((goalEnters_[zeroCell] & childOccupied) == 0) worker.nextToGoal.push_back(child);
        }
        Key* const written = out;
        if constexpr (isInteger) {
          if (backBytes_ == 0) {
            *out++ = child;
            if (keepNearGoal_ && nearGoal_[zeroCell]) keepNear(worker, *written);
            continue;
          }
          // Codes 0/1 and 2/3 are opposite directions. The arrivals that
          // commute with this move are arrivals of the child too.
          uint32_t carried = 4 * movedTo + (direction ^ 1);
          int count = 1;
          for (int a = 0; a < arrivalCount && count < backBytes_; ++a) {
            if (arrivals[a].piece == k || (enters & arrivals[a].vacated) != 0) continue;
            int piece = arrivals[a].piece;
            if (groups_.groupOf[piece] == groups_.groupOf[k]) {
              piece -= piece > k;
              piece += piece >= movedTo;
            }
            carried |= (4u * piece + (arrivals[a].back & 3)) << (8 * count++);
          }
          if (count < 4) carried |= noBackMoves << (8 * count);
          *out++ = child << backBits() | static_cast<Key>(carried & backMask());
        } else {
          *out++ = child;
        }
        if (keepNearGoal_ && nearGoal_[zeroCell]) keepNear(worker, *written);
      }
    }
    worker.records.setSize(out - worker.records.data());
  }

  // One record of a key for two: their back moves joined.
  Key joinRecords(const Key& a, const Key& b) const {
    if constexpr (isInteger) {
      if (backBytes_ == 0) return a;
      return recordOf(keyOf(a)) |
             static_cast<Key>(joinBacks(backsOf(a), backsOf(b), backBytes_) & backMask());
    }
    return a;
  }

  // Grows the worker's buffer up to its share, then sorts it into a run.
  bool makeRoom(Worker& worker) {
    const size_t most = size_t{4} * groups_.pieceCount;
    KeyBuffer<Key>& records = worker.records;
    if (records.size() + most <= records.capacity()) return true;
    if (records.capacity() < bufferKeys_) {
      const size_t capacity = KeyBuffer<Key>::capacityFor(
          std::min(bufferKeys_, std::max(2 * records.capacity(), size_t{4096})));
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
    if (!sortRecords(worker)) return false;
    // The run maps room for its longest code and grows in place, charged as
    // it is written; the room it does not use goes back when it is kept.
    // Grown by copies from a guess instead, a worker's first run of a search
    // took three times its size in fresh memory.
    const Key* records = worker.records.data();
    const size_t count = worker.records.size();
    if (count == 0) return true;
    BlockWriter<Key> run(&budget_);
    run.growInPlaceUpTo(count * size_t{KeyCoding<Key>::maxBytes});
    bool ok = true;
    // A run's gaps need distinct records: one per key, its back moves joined.
    Key pending = records[0];
    for (size_t i = 1; ok && i < count; ++i) {
      if (keyOf(records[i]) == keyOf(pending)) {
        pending = joinRecords(pending, records[i]);
      } else {
        ok = run.append(pending);
        pending = records[i];
      }
    }
    if (!ok || !run.append(pending)) {
      control_.fail(SolveOutcome::outOfMemory);
      return false;
    }
    worker.records.clear();
    SortedBlocks<Key> blocks;
    std::string failure;
    BlockWriter<Key>* const runs[] = {&run};
    if ((!storage_.spillDirectory.empty() || !SortedBlocks<Key>::adopt(run, blocks)) &&
        !SortedBlocks<Key>::concatenate(runs, 1, storage_, blocks, failure)) {
      failToStore(control_, storage_, failure);
      return false;
    }
    worker.runs.push_back(std::move(blocks));
    return true;
  }

  // Sorts the worker's records by key; repeats are left for the merge or
  // the run, which read them as one.
  bool sortRecords(Worker& worker) { return sortKeys(worker, worker.records); }

  // Sorts the worker's records near the goal, on its own thread.
  bool sortNearRecords(Worker& worker) {
    return worker.nearRecords.size() < 2 || sortKeys(worker, worker.nearRecords);
  }

  bool sortKeys(Worker& worker, KeyBuffer<Key>& keys) {
    if constexpr (isInteger) {
      if (worker.scratch.capacity() < keys.size()) {
        // Sized like the buffer, which only grows.
        if (!charge(worker, (keys.capacity() - worker.scratch.capacity()) * sizeof(Key))) {
          return false;
        }
        worker.scratch.release();
        if (!worker.scratch.reserve(keys.capacity())) {
          control_.fail(SolveOutcome::outOfMemory);
          return false;
        }
      }
      radixSort(keys.data(), worker.scratch.data(), keys.size(), backBits(),
                codec_.keyBits() + backBits(), [this] { control_.poll(); });
    } else {
      std::sort(keys.data(), keys.data() + keys.size());
    }
    return !control_.halted();
  }

  void keepNear(Worker& worker, const Key& record) {
    if (!worker.nearRecords.push(record)) control_.fail(SolveOutcome::outOfMemory);
  }

  const Codec& codec_;
  const PieceGroups& groups_;
  const MoveTables<CellMask>& tables_;
  MemoryBudget& budget_;
  SearchControl& control_;
  const RunStorage& storage_;
  ThreadTeam& team_;
  std::vector<Worker> workers_;
  size_t bufferKeys_ = 0;
  int backBytes_ = 0;
  // By origin of piece 0: whether one move can take it into the goal, and
  // the cells that move enters.
  bool nextToGoal_[maxBoardCells] = {};
  CellMask goalEnters_[maxBoardCells] = {};
  // By origin of piece 0: whether it is in nextToGoal_ or one move from it.
  bool nearGoal_[maxBoardCells] = {};
  bool keepNearGoal_ = false;
};
