// The breadth-first search.
//
// Design
//
// Keying. A position is stored as one byte per piece, in piece index order:
// the board cell of the piece's origin, boardWidth * y + x. Every catalog
// shape has a cell at dx = 0 and one at dy = 0, so an origin of a piece that
// lies on the board is itself on the board and fits in a byte (at most 80
// cells). Two positions that differ only by an exchange of pieces of the same
// shape allow the same moves and are goals together, so they are one entry:
// pieces are grouped by shape, piece 0 in a group of its own (it is never
// merged, even with another square), and the key of a position is the set of
// origins of each group. Its hash is a Zobrist sum: the exclusive or of one
// random word per (group, origin) of each piece. It does not depend on the
// order of the pieces inside a group, and a move updates it with two xors.
//
// Records. Positions are appended in breadth-first order to one array of
// fixed-size records (allocated in chunks, so it never moves or copies), so
// the queue is just the range of records not yet expanded. A record holds
// the labelled position as it was first reached, with the real piece
// indices, so that expanding it tries the pieces in their real index order.
// There is neither a parent link nor a move byte: the parent of a position
// is the neighbouring position with the smallest record index (see below),
// and the move between two labelled positions is the one piece that differs.
//
// Duplicates. An open-addressing table of uint32 slots, probed linearly,
// holds for each entry its record index plus as many bits of the hash as the
// index leaves free, so most probes settle without touching a record. On a
// tag match the two labelled positions are compared byte for byte, and when
// they differ, group by group as sets of origin cells.
//
// Why the result equals the plain breadth-first search over labelled states.
// That search gives every state the first, in move order, of its shortest
// paths, and expands the states of one depth in that order. By induction
// over depth, the merged search gives each entry the first shortest path to
// any of its labellings: if a labelling Y of the parent entry had an earlier
// path than the one stored, the same exchange of equal pieces applied to the
// last move would give an earlier path to a labelling of the child. So the
// queue order of the entries and the move log of the first goal taken from
// the queue (goals do not depend on the labelling, since piece 0 is never
// exchanged) are those of the plain search. Moves are reversible, all entries
// of depth d - 1 come before those of depth d in the array, and two entries
// are joined by at most one move, so the parent of an entry is its neighbour
// with the smallest index, reached by undoing the one move that differs.
//
// Limits. At most 64 pieces (a move byte names pieces 0 to 63); the root's
// pieces must lie on the board without overlapping, as the editor and the
// puzzle file reader ensure. Memory: one byte per piece per entry plus four
// bytes per table slot (load at most 0.85); the search stops with
// outOfMemory before it would hold more than the budget, releasing all.
#include "Solver.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "model/BoardSize.h"
#include "model/MoveByte.h"

namespace {

constexpr int maxCells = maxBoardWidth * maxBoardHeight;
constexpr uint8_t noCell = 0xFF;
constexpr int maxGroups = shapeCount + 1;
constexpr size_t hugePageBytes = size_t{2} << 20;
constexpr size_t chunkBytes = hugePageBytes;
constexpr size_t hugeFrom = size_t{16} << 20;  // blocks and records that take huge pages
constexpr int firstTableBits = 10;
constexpr int lastTableBits = 30;
constexpr int progressInterval = 10000;

uint64_t load64(const uint8_t* bytes) {
  uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

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

// Zeroed memory taken straight from the system, in whole huge pages and
// aligned to them. Fresh mappings are zero, so nothing is cleared. Large
// searches ask for huge pages, since they read their blocks at random; small
// ones do not, as the kernel may stall to assemble them.
class Block {
 public:
  Block() = default;
  Block(size_t bytes, bool huge) {
    const size_t rounded = (bytes + hugePageBytes - 1) / hugePageBytes * hugePageBytes;
    const size_t mapped = rounded + hugePageBytes;
    void* map = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map == MAP_FAILED) return;
    const uintptr_t start = reinterpret_cast<uintptr_t>(map);
    const uintptr_t aligned = (start + hugePageBytes - 1) & ~(hugePageBytes - 1);
    if (aligned > start) munmap(map, aligned - start);
    const size_t tail = mapped - (aligned - start) - rounded;
    if (tail > 0) munmap(reinterpret_cast<void*>(aligned + rounded), tail);
    data_ = reinterpret_cast<uint8_t*>(aligned);
    bytes_ = rounded;
    if (huge) madvise(data_, bytes_, MADV_HUGEPAGE);
  }
  Block(Block&& other) noexcept { swap(other); }
  Block& operator=(Block&& other) noexcept {
    Block(std::move(other)).swap(*this);
    return *this;
  }
  ~Block() {
    if (data_) munmap(data_, bytes_);
  }
  void swap(Block& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(bytes_, other.bytes_);
  }
  uint8_t* get() const { return data_; }
  explicit operator bool() const { return data_ != nullptr; }
  // Bytes held, a whole number of huge pages.
  static size_t heldFor(size_t bytes) {
    return (bytes + hugePageBytes - 1) / hugePageBytes * hugePageBytes;
  }

 private:
  uint8_t* data_ = nullptr;
  size_t bytes_ = 0;
};

uint64_t splitMix(uint64_t& seed) {
  uint64_t z = (seed += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// Board geometry and per-shape tables for the current board size. CellMask
// has a bit per cell: 64 bits for boards of up to 64 cells, 128 beyond.
template <typename CellMask>
struct Geometry {
  int cellCount = 0;
  // Cells covered by shape s at origin c; 0 where the shape does not fit.
  CellMask mask[shapeCount][maxCells] = {};
  // Origin after moving shape s from origin c in direction d, or noCell.
  uint8_t step[shapeCount][maxCells][moveDirectionCount] = {};
  // The cells that step enters, which must be free; all cells when the
  // step leaves the board, so that it always meets the piece itself.
  CellMask entered[shapeCount][maxCells][moveDirectionCount] = {};

  Geometry() {
    cellCount = boardWidth * boardHeight;
    for (int s = 0; s < shapeCount; ++s) {
      const Shape& shape = catalogShape(s);
      for (int c = 0; c < cellCount; ++c) mask[s][c] = shapeMask(shape, c);
      for (int c = 0; c < cellCount; ++c) {
        for (int d = 0; d < moveDirectionCount; ++d) {
          step[s][c][d] = stepTo(s, c, d);
          entered[s][c][d] =
              step[s][c][d] == noCell ? ~CellMask{0} : mask[s][step[s][c][d]] & ~mask[s][c];
        }
      }
    }
  }

  CellMask shapeMask(const Shape& shape, int origin) const {
    const int x = origin % boardWidth;
    const int y = origin / boardWidth;
    CellMask cells = 0;
    for (int k = 0; k < shape.cellCount; ++k) {
      const int cx = x + shape.cells[2 * k];
      const int cy = y + shape.cells[2 * k + 1];
      if (cx >= boardWidth || cy >= boardHeight) return 0;
      cells |= CellMask{1} << (cy * boardWidth + cx);
    }
    return cells;
  }

  uint8_t stepTo(int s, int origin, int d) const {
    const int x = origin % boardWidth + moveDx[d];
    const int y = origin / boardWidth + moveDy[d];
    if (x < 0 || y < 0 || x >= boardWidth || y >= boardHeight) return noCell;
    const int to = y * boardWidth + x;
    return mask[s][to] == 0 ? noCell : static_cast<uint8_t>(to);
  }
};

// A move that passed the board and overlap tests, waiting to be looked up.
struct Child {
  uint8_t piece;
  uint8_t to;
  uint64_t hash;
};

template <typename CellMask>
class Search {
 public:
  Search(const BoardState& root, const SolveOptions& options)
      : root_(root), options_(options), pieces_(root.pieceCount()) {
    budget_ = options.memoryBudget != 0 ? options.memoryBudget : availableMemory() / 4 * 3;
    groupPieces();
    uint64_t seed = 0x6361766C;
    for (auto& group : zobrist_) {
      for (uint64_t& word : group) word = splitMix(seed);
    }
  }

  SolveResult run();

 private:
  void groupPieces();
  bool encodeRoot(uint8_t* position) const;
  uint64_t hashOf(const uint8_t* position) const;
  CellMask occupied(const uint8_t* position) const;
  uint8_t* record(uint32_t index) const {
    return chunks_[index / chunkRecords_].get() + (index % chunkRecords_) * pieces_;
  }
  bool samePosition(const uint8_t* a, const uint8_t* b) const;
  // Whether two records are equal byte for byte; words overlap at the end.
  bool sameBytes(const uint8_t* a, const uint8_t* b) const {
    if (pieces_ < 8) return std::memcmp(a, b, pieces_) == 0;
    for (int k = 0; k + 8 < pieces_; k += 8) {
      if (load64(a + k) != load64(b + k)) return false;
    }
    return load64(a + pieces_ - 8) == load64(b + pieces_ - 8);
  }
  // The moves of `position` in piece, then direction order; returns their count.
  int generateChildren(const uint8_t* position, Child* children) const;
  uint32_t homeSlot(uint64_t hash) const {
    return static_cast<uint32_t>(hash >> 32) >> (32 - tableBits_);
  }
  uint32_t* table() const { return reinterpret_cast<uint32_t*>(table_.get()); }
  void prefetchSlot(uint64_t hash) const { __builtin_prefetch(table() + homeSlot(hash)); }
  // Prefetches the record of the first slot whose tag matches `hash`.
  void prefetchMatch(uint64_t hash) const;
  // The record index of the position, or -1.
  int64_t find(const uint8_t* position, uint64_t hash) const;
  // Appends a new position; false when the budget does not allow it.
  bool insert(const uint8_t* position, uint64_t hash);
  bool reserveRecord();
  bool growTable();
  void placeInTable(uint32_t index, uint64_t hash);
  bool chargeMemory(size_t bytes);
  void releaseAll();
  std::vector<uint8_t> rebuildLog(uint32_t goal) const;
  SolveResult finish(SolveOutcome outcome);
  SolveResult solved(uint32_t goal, const uint8_t* position);

  // The record at `record` with its children, as the pipeline in run() holds it.
  struct Batch {
    uint32_t record = UINT32_MAX;
    bool recordsFetched = false;
    int childCount = 0;
    uint8_t position[maxLoggedPieces];
    Child children[maxLoggedPieces * moveDirectionCount];
  };
  static constexpr uint32_t slotsAhead = 4;
  static constexpr uint32_t recordsAhead = 2;
  static constexpr uint32_t batchRing = 8;
  Batch& batchFor(Batch* batches, uint32_t index) const;

  const BoardState& root_;
  const SolveOptions& options_;
  const int pieces_;
  std::unique_ptr<Geometry<CellMask>> geometry_;
  uint8_t shapeOf_[maxLoggedPieces] = {};
  uint8_t groupOf_[maxLoggedPieces] = {};
  int groupCount_ = 1;
  uint64_t zobrist_[maxGroups][maxCells] = {};

  std::vector<Block> chunks_;
  uint32_t chunkRecords_ = 0;  // records per chunk
  uint32_t recordCount_ = 0;
  Block table_;
  int tableBits_ = 0;
  size_t budget_ = 0;
  size_t heldBytes_ = 0;
  SolveStats stats_;
};

template <typename CellMask>
void Search<CellMask>::groupPieces() {
  int groupOfShape[shapeCount];
  std::fill(std::begin(groupOfShape), std::end(groupOfShape), -1);
  int groups = 1;  // group 0 is piece 0 alone
  for (int i = 0; i < pieces_; ++i) {
    shapeOf_[i] = static_cast<uint8_t>(root_.pieces[i].shapeIndex());
    if (i == 0) continue;
    int& group = groupOfShape[shapeOf_[i]];
    if (group < 0) group = groups++;
    groupOf_[i] = static_cast<uint8_t>(group);
  }
  groupCount_ = groups;
}

template <typename CellMask>
bool Search<CellMask>::encodeRoot(uint8_t* position) const {
  CellMask cells = 0;
  for (int i = 0; i < pieces_; ++i) {
    const Piece& piece = root_.pieces[i];
    const int x = piece.x();
    const int y = piece.y();
    if (x < 0 || y < 0 || x >= boardWidth || y >= boardHeight) return false;
    position[i] = static_cast<uint8_t>(y * boardWidth + x);
    const CellMask own = geometry_->mask[shapeOf_[i]][position[i]];
    if (own == 0 || (own & cells) != 0) return false;
    cells |= own;
  }
  return true;
}

template <typename CellMask>
uint64_t Search<CellMask>::hashOf(const uint8_t* position) const {
  uint64_t hash = 0;
  for (int i = 0; i < pieces_; ++i) hash ^= zobrist_[groupOf_[i]][position[i]];
  return hash;
}

template <typename CellMask>
CellMask Search<CellMask>::occupied(const uint8_t* position) const {
  CellMask cells = 0;
  for (int i = 0; i < pieces_; ++i) cells |= geometry_->mask[shapeOf_[i]][position[i]];
  return cells;
}

template <typename CellMask>
bool Search<CellMask>::samePosition(const uint8_t* a, const uint8_t* b) const {
  if (sameBytes(a, b)) return true;
  if (a[0] != b[0]) return false;
  // Maybe reached under another labelling. The origins of one group are
  // distinct cells (its pieces never overlap), so each group's set of
  // origins must match: the bits of a and b cancel group by group.
  CellMask difference[maxGroups] = {};
  for (int i = 1; i < pieces_; ++i) {
    difference[groupOf_[i]] ^= (CellMask{1} << a[i]) ^ (CellMask{1} << b[i]);
  }
  for (int g = 1; g < groupCount_; ++g) {
    if (difference[g] != 0) return false;
  }
  return true;
}

template <typename CellMask>
int Search<CellMask>::generateChildren(const uint8_t* position, Child* children) const {
  const Geometry<CellMask>& geometry = *geometry_;
  CellMask cells = 0;
  uint64_t hash = 0;
  for (int i = 0; i < pieces_; ++i) {
    cells |= geometry.mask[shapeOf_[i]][position[i]];
    hash ^= zobrist_[groupOf_[i]][position[i]];
  }
  int count = 0;
  for (int i = 0; i < pieces_; ++i) {
    const uint8_t from = position[i];
    const CellMask* entered = geometry.entered[shapeOf_[i]][from];
    const uint8_t* step = geometry.step[shapeOf_[i]][from];
    const uint64_t* zobrist = zobrist_[groupOf_[i]];
    for (int d = 0; d < moveDirectionCount; ++d) {
      if ((entered[d] & cells) != 0) continue;
      const uint8_t to = step[d];
      children[count++] = {static_cast<uint8_t>(i), to, hash ^ zobrist[from] ^ zobrist[to]};
    }
  }
  return count;
}

template <typename CellMask>
void Search<CellMask>::prefetchMatch(uint64_t hash) const {
  const uint32_t mask = (uint32_t{1} << tableBits_) - 1;
  const uint32_t tag = static_cast<uint32_t>(hash >> 32) << tableBits_;
  for (uint32_t slot = homeSlot(hash);; slot = (slot + 1) & mask) {
    const uint32_t entry = table()[slot];
    if (entry == 0) return;
    if ((entry & ~mask) != tag) continue;
    __builtin_prefetch(record((entry & mask) - 1));
    return;
  }
}

template <typename CellMask>
int64_t Search<CellMask>::find(const uint8_t* position, uint64_t hash) const {
  const uint32_t top = static_cast<uint32_t>(hash >> 32);
  const uint32_t mask = (uint32_t{1} << tableBits_) - 1;
  const uint32_t tag = top << tableBits_;
  for (uint32_t slot = top >> (32 - tableBits_);; slot = (slot + 1) & mask) {
    const uint32_t entry = table()[slot];
    if (entry == 0) return -1;
    if ((entry & ~mask) != tag) continue;
    const uint32_t index = (entry & mask) - 1;
    if (samePosition(record(index), position)) return index;
  }
}

template <typename CellMask>
void Search<CellMask>::placeInTable(uint32_t index, uint64_t hash) {
  const uint32_t top = static_cast<uint32_t>(hash >> 32);
  const uint32_t mask = (uint32_t{1} << tableBits_) - 1;
  uint32_t slot = top >> (32 - tableBits_);
  while (table()[slot] != 0) slot = (slot + 1) & mask;
  table()[slot] = (top << tableBits_) | (index + 1);
}

template <typename CellMask>
bool Search<CellMask>::chargeMemory(size_t bytes) {
  if (bytes > budget_ || heldBytes_ > budget_ - bytes) return false;
  heldBytes_ += bytes;
  stats_.peakBytes = std::max(stats_.peakBytes, heldBytes_);
  return true;
}

template <typename CellMask>
bool Search<CellMask>::growTable() {
  const int bits = tableBits_ == 0 ? firstTableBits : tableBits_ + 1;
  if (bits > lastTableBits) return false;
  const size_t newBytes = Block::heldFor((size_t{1} << bits) * sizeof(uint32_t));
  const size_t oldBytes =
      tableBits_ == 0 ? 0 : Block::heldFor((size_t{1} << tableBits_) * sizeof(uint32_t));
  if (!chargeMemory(newBytes)) return false;
  Block old = std::move(table_);
  table_ = Block((size_t{1} << bits) * sizeof(uint32_t), newBytes >= hugeFrom);
  if (!table_) return false;
  tableBits_ = bits;
  // Hashes go through a small ring so that the slot reads overlap.
  constexpr uint32_t ahead = 16;
  uint64_t hashes[ahead];
  for (uint32_t index = 0; index < recordCount_ + ahead; ++index) {
    if (index >= ahead) placeInTable(index - ahead, hashes[index % ahead]);
    if (index < recordCount_) {
      hashes[index % ahead] = hashOf(record(index));
      prefetchSlot(hashes[index % ahead]);
    }
  }
  Block().swap(old);
  heldBytes_ -= oldBytes;
  return true;
}

template <typename CellMask>
bool Search<CellMask>::reserveRecord() {
  if (recordCount_ % chunkRecords_ != 0) return true;
  if (recordCount_ == UINT32_MAX - 1) return false;
  if (chunks_.size() == chunks_.capacity()) {
    const size_t oldBytes = chunks_.capacity() * sizeof(Block);
    const size_t capacity = std::max<size_t>(16, 2 * chunks_.capacity());
    if (!chargeMemory(capacity * sizeof(Block))) return false;
    chunks_.reserve(capacity);
    heldBytes_ -= oldBytes;
  }
  if (!chargeMemory(Block::heldFor(chunkBytes))) return false;
  chunks_.emplace_back(chunkBytes, chunks_.size() * chunkBytes >= hugeFrom);
  return static_cast<bool>(chunks_.back());
}

template <typename CellMask>
bool Search<CellMask>::insert(const uint8_t* position, uint64_t hash) {
  // The table keeps its load at most 0.85, so the record index plus one
  // always fits in the low tableBits_ bits of a slot.
  if ((uint64_t{recordCount_} + 1) * 20 > (uint64_t{1} << tableBits_) * 17 && !growTable()) {
    return false;
  }
  if (!reserveRecord()) return false;
  std::memcpy(record(recordCount_), position, pieces_);
  placeInTable(recordCount_, hash);
  ++recordCount_;
  stats_.positions = recordCount_;
  return true;
}

template <typename CellMask>
std::vector<uint8_t> Search<CellMask>::rebuildLog(uint32_t goal) const {
  std::vector<uint8_t> log;
  uint8_t position[maxLoggedPieces];
  for (uint32_t at = goal; at != 0;) {
    std::memcpy(position, record(at), pieces_);
    const CellMask cells = occupied(position);
    uint32_t parent = at;
    uint8_t move = 0;
    for (int i = 0; i < pieces_; ++i) {
      const uint8_t from = position[i];
      const CellMask others = cells ^ geometry_->mask[shapeOf_[i]][from];
      for (int d = 0; d < moveDirectionCount; ++d) {
        const uint8_t to = geometry_->step[shapeOf_[i]][from][d];
        if (to == noCell || (geometry_->mask[shapeOf_[i]][to] & others) != 0) continue;
        position[i] = to;
        const int64_t found = find(position, hashOf(position));
        position[i] = from;
        if (found >= 0 && found < parent) {
          parent = static_cast<uint32_t>(found);
          // The parent reaches this entry by the opposite step: d ^ 1.
          move = encodeMove(i, -moveDx[d], -moveDy[d]);
        }
      }
    }
    assert(parent < at);
    log.push_back(move);
    at = parent;
  }
  std::reverse(log.begin(), log.end());
  return log;
}

template <typename CellMask>
void Search<CellMask>::releaseAll() {
  std::vector<Block>().swap(chunks_);
  Block().swap(table_);
  heldBytes_ = 0;
}

template <typename CellMask>
SolveResult Search<CellMask>::finish(SolveOutcome outcome) {
  releaseAll();
  SolveResult result;
  result.outcome = outcome;
  result.stats = stats_;
  return result;
}

template <typename CellMask>
typename Search<CellMask>::Batch& Search<CellMask>::batchFor(Batch* batches, uint32_t index) const {
  Batch& batch = batches[index % batchRing];
  if (batch.record == index) return batch;
  batch.record = index;
  batch.recordsFetched = false;
  std::memcpy(batch.position, record(index), pieces_);
  batch.childCount = generateChildren(batch.position, batch.children);
  for (int k = 0; k < batch.childCount; ++k) prefetchSlot(batch.children[k].hash);
  return batch;
}

template <typename CellMask>
SolveResult Search<CellMask>::solved(uint32_t goal, const uint8_t* position) {
  SolveResult result;
  result.outcome = SolveOutcome::solved;
  result.solution = root_;
  for (int i = 0; i < pieces_; ++i) {
    result.solution.pieces[i].setX(static_cast<int8_t>(position[i] % boardWidth));
    result.solution.pieces[i].setY(static_cast<int8_t>(position[i] / boardWidth));
  }
  const std::vector<uint8_t> log = rebuildLog(goal);
  result.solution.moves.insert(result.solution.moves.end(), log.begin(), log.end());
  result.stats = stats_;
  releaseAll();
  return result;
}

template <typename CellMask>
SolveResult Search<CellMask>::run() {
  if (pieces_ == 0) return finish(SolveOutcome::noSolution);
  assert(pieces_ <= maxLoggedPieces);
  geometry_ = std::make_unique<Geometry<CellMask>>();
  chunkRecords_ = static_cast<uint32_t>(chunkBytes / pieces_);
  uint8_t position[maxLoggedPieces];
  const bool rootValid = encodeRoot(position);
  assert(rootValid && "root pieces must lie on the board without overlapping");
  if (!rootValid) return finish(SolveOutcome::noSolution);
  if (!growTable() || !insert(position, hashOf(position))) {
    return finish(SolveOutcome::outOfMemory);
  }
  const int goalCell = boardHeight >= 2 ? boardWidth + boardWidth - 2 : -1;
  std::unique_ptr<Batch[]> batches(new Batch[batchRing]);

  for (uint32_t head = 0; head < recordCount_; ++head) {
    // A pipeline over the queue: the table slots of the children of the
    // record slotsAhead places on are fetched, then the records that those
    // slots name, so the memory reads of many lookups overlap.
    if (head + slotsAhead < recordCount_) batchFor(batches.get(), head + slotsAhead);
    if (head + recordsAhead < recordCount_) {
      Batch& next = batchFor(batches.get(), head + recordsAhead);
      if (!next.recordsFetched) {
        for (int k = 0; k < next.childCount; ++k) prefetchMatch(next.children[k].hash);
        next.recordsFetched = true;
      }
    }
    Batch& batch = batchFor(batches.get(), head);
    uint8_t* position = batch.position;
    if (position[0] == goalCell) return solved(head, position);
    for (int k = 0; k < batch.childCount; ++k) {
      const Child& child = batch.children[k];
      const uint8_t from = position[child.piece];
      position[child.piece] = child.to;
      if (find(position, child.hash) < 0 && !insert(position, child.hash)) {
        return finish(SolveOutcome::outOfMemory);
      }
      position[child.piece] = from;
    }
    ++stats_.expanded;
    if (options_.shouldStop && options_.shouldStop()) return finish(SolveOutcome::stopped);
    if (stats_.expanded % progressInterval == 0 && options_.progress) options_.progress(stats_);
  }
  return finish(SolveOutcome::noSolution);
}

}  // namespace

SolveResult solveBoard(const BoardState& root, const SolveOptions& options) {
  if (boardWidth * boardHeight <= 64) return Search<uint64_t>(root, options).run();
  return Search<unsigned __int128>(root, options).run();
}
