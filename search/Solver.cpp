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
// they differ, group by group with each group sorted.
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

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <unistd.h>

#include "model/BoardSize.h"
#include "model/MoveByte.h"

namespace {

using CellMask = unsigned __int128;

constexpr int maxCells = maxBoardWidth * maxBoardHeight;
constexpr uint8_t noCell = 0xFF;
constexpr int maxGroups = shapeCount + 1;
constexpr size_t chunkRecords = size_t{1} << 16;
constexpr int firstTableBits = 10;
constexpr int lastTableBits = 30;
constexpr int progressInterval = 10000;

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

uint64_t splitMix(uint64_t& seed) {
  uint64_t z = (seed += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// Board geometry and per-shape tables for the current board size.
struct Geometry {
  int cellCount = 0;
  // Cells covered by shape s at origin c; 0 where the shape does not fit.
  CellMask mask[shapeCount][maxCells] = {};
  // Origin after moving shape s from origin c in direction d, or noCell.
  uint8_t step[shapeCount][maxCells][moveDirectionCount] = {};

  Geometry() {
    cellCount = boardWidth * boardHeight;
    for (int s = 0; s < shapeCount; ++s) {
      const Shape& shape = catalogShape(s);
      for (int c = 0; c < cellCount; ++c) mask[s][c] = shapeMask(shape, c);
      for (int c = 0; c < cellCount; ++c) {
        for (int d = 0; d < moveDirectionCount; ++d) step[s][c][d] = stepTo(s, c, d);
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
    return chunks_[index / chunkRecords].get() + (index % chunkRecords) * pieces_;
  }
  bool samePosition(const uint8_t* a, const uint8_t* b) const;
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

  const BoardState& root_;
  const SolveOptions& options_;
  const int pieces_;
  std::unique_ptr<Geometry> geometry_;
  uint8_t shapeOf_[maxLoggedPieces] = {};
  uint8_t groupOf_[maxLoggedPieces] = {};
  // Piece indices grouped: the pieces of one group are contiguous.
  uint8_t groupOrder_[maxLoggedPieces] = {};
  uint8_t groupEnd_[maxLoggedPieces] = {};  // end in groupOrder_ of each piece's group
  uint64_t zobrist_[maxGroups][maxCells] = {};

  std::vector<std::unique_ptr<uint8_t[]>> chunks_;
  uint32_t recordCount_ = 0;
  std::vector<uint32_t> table_;
  int tableBits_ = 0;
  size_t budget_ = 0;
  size_t heldBytes_ = 0;
  SolveStats stats_;
};

void Search::groupPieces() {
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
  int at = 0;
  for (int g = 0; g < groups; ++g) {
    const int begin = at;
    for (int i = 0; i < pieces_; ++i) {
      if (groupOf_[i] == g) groupOrder_[at++] = static_cast<uint8_t>(i);
    }
    for (int k = begin; k < at; ++k) groupEnd_[groupOrder_[k]] = static_cast<uint8_t>(at);
  }
}

bool Search::encodeRoot(uint8_t* position) const {
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

uint64_t Search::hashOf(const uint8_t* position) const {
  uint64_t hash = 0;
  for (int i = 0; i < pieces_; ++i) hash ^= zobrist_[groupOf_[i]][position[i]];
  return hash;
}

CellMask Search::occupied(const uint8_t* position) const {
  CellMask cells = 0;
  for (int i = 0; i < pieces_; ++i) cells |= geometry_->mask[shapeOf_[i]][position[i]];
  return cells;
}

bool Search::samePosition(const uint8_t* a, const uint8_t* b) const {
  if (std::memcmp(a, b, pieces_) == 0) return true;
  // Reached under another labelling: compare each group as a sorted list.
  uint8_t sortedA[maxLoggedPieces];
  uint8_t sortedB[maxLoggedPieces];
  for (int k = 0; k < pieces_; ++k) {
    sortedA[k] = a[groupOrder_[k]];
    sortedB[k] = b[groupOrder_[k]];
  }
  for (int k = 0; k < pieces_;) {
    const int end = groupEnd_[groupOrder_[k]];
    std::sort(sortedA + k, sortedA + end);
    std::sort(sortedB + k, sortedB + end);
    k = end;
  }
  return std::memcmp(sortedA, sortedB, pieces_) == 0;
}

int64_t Search::find(const uint8_t* position, uint64_t hash) const {
  const uint32_t top = static_cast<uint32_t>(hash >> 32);
  const uint32_t mask = (uint32_t{1} << tableBits_) - 1;
  const uint32_t tag = top << tableBits_;
  for (uint32_t slot = top >> (32 - tableBits_);; slot = (slot + 1) & mask) {
    const uint32_t entry = table_[slot];
    if (entry == 0) return -1;
    if ((entry & ~mask) != tag) continue;
    const uint32_t index = (entry & mask) - 1;
    if (samePosition(record(index), position)) return index;
  }
}

void Search::placeInTable(uint32_t index, uint64_t hash) {
  const uint32_t top = static_cast<uint32_t>(hash >> 32);
  const uint32_t mask = (uint32_t{1} << tableBits_) - 1;
  uint32_t slot = top >> (32 - tableBits_);
  while (table_[slot] != 0) slot = (slot + 1) & mask;
  table_[slot] = (top << tableBits_) | (index + 1);
}

bool Search::chargeMemory(size_t bytes) {
  if (bytes > budget_ || heldBytes_ > budget_ - bytes) return false;
  heldBytes_ += bytes;
  stats_.peakBytes = std::max(stats_.peakBytes, heldBytes_);
  return true;
}

bool Search::growTable() {
  const int bits = tableBits_ == 0 ? firstTableBits : tableBits_ + 1;
  if (bits > lastTableBits) return false;
  const size_t newBytes = (size_t{1} << bits) * sizeof(uint32_t);
  const size_t oldBytes = table_.size() * sizeof(uint32_t);
  if (!chargeMemory(newBytes)) return false;
  std::vector<uint32_t> old;
  old.swap(table_);
  table_.assign(size_t{1} << bits, 0);
  tableBits_ = bits;
  for (uint32_t index = 0; index < recordCount_; ++index) {
    placeInTable(index, hashOf(record(index)));
  }
  std::vector<uint32_t>().swap(old);
  heldBytes_ -= oldBytes;
  return true;
}

bool Search::reserveRecord() {
  if (recordCount_ % chunkRecords != 0) return true;
  if (recordCount_ == UINT32_MAX - 1) return false;
  const size_t bytes = chunkRecords * pieces_;
  const size_t pointerBytes =
      chunks_.size() == chunks_.capacity() ? (chunks_.capacity() + 1) * sizeof(chunks_[0]) : 0;
  if (!chargeMemory(bytes + pointerBytes)) return false;
  chunks_.emplace_back(new uint8_t[bytes]);
  return true;
}

bool Search::insert(const uint8_t* position, uint64_t hash) {
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

std::vector<uint8_t> Search::rebuildLog(uint32_t goal) const {
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

void Search::releaseAll() {
  std::vector<std::unique_ptr<uint8_t[]>>().swap(chunks_);
  std::vector<uint32_t>().swap(table_);
  heldBytes_ = 0;
}

SolveResult Search::finish(SolveOutcome outcome) {
  releaseAll();
  SolveResult result;
  result.outcome = outcome;
  result.stats = stats_;
  return result;
}

SolveResult Search::run() {
  if (pieces_ == 0) return finish(SolveOutcome::noSolution);
  assert(pieces_ <= maxLoggedPieces);
  geometry_ = std::make_unique<Geometry>();
  uint8_t position[maxLoggedPieces];
  const bool rootValid = encodeRoot(position);
  assert(rootValid && "root pieces must lie on the board without overlapping");
  if (!rootValid) return finish(SolveOutcome::noSolution);
  if (!growTable() || !insert(position, hashOf(position))) {
    return finish(SolveOutcome::outOfMemory);
  }
  const int goalCell = boardHeight >= 2 ? boardWidth + boardWidth - 2 : -1;
  const Geometry& geometry = *geometry_;

  for (uint32_t head = 0; head < recordCount_; ++head) {
    std::memcpy(position, record(head), pieces_);
    if (position[0] == goalCell) {
      SolveResult result;
      result.outcome = SolveOutcome::solved;
      result.solution = root_;
      for (int i = 0; i < pieces_; ++i) {
        result.solution.pieces[i].setX(static_cast<int8_t>(position[i] % boardWidth));
        result.solution.pieces[i].setY(static_cast<int8_t>(position[i] / boardWidth));
      }
      result.solution.moves = root_.moves;
      const std::vector<uint8_t> log = rebuildLog(head);
      result.solution.moves.insert(result.solution.moves.end(), log.begin(), log.end());
      result.stats = stats_;
      releaseAll();
      return result;
    }
    const CellMask cells = occupied(position);
    const uint64_t hash = hashOf(position);
    for (int i = 0; i < pieces_; ++i) {
      const uint8_t from = position[i];
      const int shape = shapeOf_[i];
      const CellMask others = cells ^ geometry.mask[shape][from];
      const uint64_t* zobrist = zobrist_[groupOf_[i]];
      for (int d = 0; d < moveDirectionCount; ++d) {
        const uint8_t to = geometry.step[shape][from][d];
        if (to == noCell || (geometry.mask[shape][to] & others) != 0) continue;
        position[i] = to;
        const uint64_t childHash = hash ^ zobrist[from] ^ zobrist[to];
        if (find(position, childHash) < 0 && !insert(position, childHash)) {
          return finish(SolveOutcome::outOfMemory);
        }
        position[i] = from;
      }
    }
    ++stats_.expanded;
    if (options_.shouldStop && options_.shouldStop()) return finish(SolveOutcome::stopped);
    if (stats_.expanded % progressInterval == 0 && options_.progress) options_.progress(stats_);
  }
  return finish(SolveOutcome::noSolution);
}

}  // namespace

SolveResult solveBoard(const BoardState& root, const SolveOptions& options) {
  return Search(root, options).run();
}
