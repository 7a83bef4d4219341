// The breadth-first search.
//
// Design
//
// Keying. A position is stored as one byte per piece, in piece index order:
// the board cell of the piece's origin (see MoveTables.h). Two positions that
// differ only by an exchange of pieces of the same shape allow the same moves
// and are goals together, so they are one entry: pieces are grouped by shape,
// piece 0 in a group of its own (it is never merged, even with another
// square), and the key of a position is the set of origins of each group. Its
// hash is a Zobrist sum: the exclusive or of one random word per (group,
// origin) of each piece. It does not depend on the order of the pieces inside
// a group, and a move updates it with two xors.
//
// Records. Positions are appended in breadth-first order to one array of
// fixed-size records (see MemoryBlocks.h), so the queue is just the range of
// records not yet expanded. A record holds the labelled position as it was
// first reached, with the real piece indices, so that expanding it tries the
// pieces in their real index order. There is neither a parent link nor a move
// byte: the parent of a position is the neighbouring position with the
// smallest record index (see below), and the move between two labelled
// positions is the one piece that differs.
//
// Duplicates. The position table (PositionTable.h) names the records whose
// hash tag matches; the two labelled positions are then compared byte for
// byte, and when they differ, group by group as sets of origin cells.
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
#include <cstring>
#include <memory>
#include <vector>

#include "LayeredSearch.h"
#include "MemoryBlocks.h"
#include "MoveTables.h"
#include "PositionTable.h"
#include "model/MoveByte.h"

namespace {

constexpr int maxGroups = shapeCount + 1;
constexpr int progressInterval = 10000;

uint64_t load64(const uint8_t* bytes) {
  uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

uint64_t splitMix(uint64_t& seed) {
  uint64_t z = (seed += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

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
      : root_(root),
        options_(options),
        pieces_(root.pieceCount()),
        budget_(options.memoryBudget),
        records_(std::max(pieces_, 1)) {
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
  // The record index of the position, or -1.
  int64_t find(const uint8_t* position, uint64_t hash) const {
    return table_.probe(hash,
                        [&](uint32_t index) { return samePosition(records_.at(index), position); });
  }
  // Prefetches the record of the first slot whose tag matches `hash`.
  void prefetchMatch(uint64_t hash) const {
    table_.probe(hash, [&](uint32_t index) {
      __builtin_prefetch(records_.at(index));
      return true;
    });
  }
  // Appends a new position; false when the budget does not allow it.
  bool insert(const uint8_t* position, uint64_t hash);
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
  std::unique_ptr<MoveTables<CellMask>> tables_;
  uint8_t shapeOf_[maxLoggedPieces] = {};
  uint8_t groupOf_[maxLoggedPieces] = {};
  int groupCount_ = 1;
  uint64_t zobrist_[maxGroups][maxBoardCells] = {};

  MemoryBudget budget_;
  RecordChunks records_;
  PositionTable table_;
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
  const BoardSize size = root_.size;
  CellMask cells = 0;
  for (int i = 0; i < pieces_; ++i) {
    const Piece& piece = root_.pieces[i];
    if (!size.contains(piece.x(), piece.y())) return false;
    position[i] = static_cast<uint8_t>(piece.y() * size.width + piece.x());
    const CellMask own = tables_->mask[shapeOf_[i]][position[i]];
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
  for (int i = 0; i < pieces_; ++i) cells |= tables_->mask[shapeOf_[i]][position[i]];
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
    difference[groupOf_[i]] ^= MoveTables<CellMask>::bit(a[i]) ^ MoveTables<CellMask>::bit(b[i]);
  }
  for (int g = 1; g < groupCount_; ++g) {
    if (difference[g] != 0) return false;
  }
  return true;
}

template <typename CellMask>
int Search<CellMask>::generateChildren(const uint8_t* position, Child* children) const {
  const MoveTables<CellMask>& tables = *tables_;
  CellMask cells = 0;
  uint64_t hash = 0;
  for (int i = 0; i < pieces_; ++i) {
    cells |= tables.mask[shapeOf_[i]][position[i]];
    hash ^= zobrist_[groupOf_[i]][position[i]];
  }
  int count = 0;
  for (int i = 0; i < pieces_; ++i) {
    const uint8_t from = position[i];
    const CellMask* entered = tables.entered[shapeOf_[i]][from];
    const uint8_t* step = tables.step[shapeOf_[i]][from];
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
bool Search<CellMask>::insert(const uint8_t* position, uint64_t hash) {
  const uint32_t count = records_.count();
  if (!table_.hasRoomFor(uint64_t{count} + 1) &&
      !table_.grow(count, budget_, [this](uint32_t index) { return hashOf(records_.at(index)); })) {
    return false;
  }
  if (!records_.reserve(budget_)) return false;
  table_.place(count, hash);
  records_.append(position);
  stats_.positions = records_.count();
  stats_.peakBytes = budget_.peak();
  return true;
}

template <typename CellMask>
std::vector<uint8_t> Search<CellMask>::rebuildLog(uint32_t goal) const {
  std::vector<uint8_t> log;
  uint8_t position[maxLoggedPieces];
  for (uint32_t at = goal; at != 0;) {
    std::memcpy(position, records_.at(at), pieces_);
    const CellMask cells = occupied(position);
    uint32_t parent = at;
    uint8_t move = 0;
    for (int i = 0; i < pieces_; ++i) {
      const uint8_t from = position[i];
      const CellMask others = cells ^ tables_->mask[shapeOf_[i]][from];
      for (int d = 0; d < moveDirectionCount; ++d) {
        const uint8_t to = tables_->step[shapeOf_[i]][from][d];
        if (to == noCell || (tables_->mask[shapeOf_[i]][to] & others) != 0) continue;
        position[i] = to;
        const int64_t found = find(position, hashOf(position));
        position[i] = from;
        if (found >= 0 && found < parent) {
          parent = static_cast<uint32_t>(found);
          // The parent reaches this entry by the opposite step.
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
  records_.clear();
  table_.clear();
  budget_.releaseAll();
}

template <typename CellMask>
SolveResult Search<CellMask>::finish(SolveOutcome outcome) {
  releaseAll();
  SolveResult result;
  result.outcome = outcome;
  stats_.peakBytes = budget_.peak();
  result.stats = stats_;
  return result;
}

template <typename CellMask>
typename Search<CellMask>::Batch& Search<CellMask>::batchFor(Batch* batches, uint32_t index) const {
  Batch& batch = batches[index % batchRing];
  if (batch.record == index) return batch;
  batch.record = index;
  batch.recordsFetched = false;
  std::memcpy(batch.position, records_.at(index), pieces_);
  batch.childCount = generateChildren(batch.position, batch.children);
  for (int k = 0; k < batch.childCount; ++k) table_.prefetch(batch.children[k].hash);
  return batch;
}

template <typename CellMask>
SolveResult Search<CellMask>::solved(uint32_t goal, const uint8_t* position) {
  SolveResult result;
  result.outcome = SolveOutcome::solved;
  result.solution = root_;
  const int width = root_.size.width;
  for (int i = 0; i < pieces_; ++i) {
    result.solution.pieces[i].setX(static_cast<int8_t>(position[i] % width));
    result.solution.pieces[i].setY(static_cast<int8_t>(position[i] / width));
  }
  const std::vector<uint8_t> log = rebuildLog(goal);
  result.solution.moves.insert(result.solution.moves.end(), log.begin(), log.end());
  stats_.peakBytes = budget_.peak();
  result.stats = stats_;
  releaseAll();
  return result;
}

template <typename CellMask>
SolveResult Search<CellMask>::run() {
  if (pieces_ == 0) return finish(SolveOutcome::noSolution);
  assert(pieces_ <= maxLoggedPieces);
  tables_ = std::make_unique<MoveTables<CellMask>>(root_.size);
  uint8_t position[maxLoggedPieces];
  const bool rootValid = encodeRoot(position);
  assert(rootValid && "root pieces must lie on the board without overlapping");
  if (!rootValid) return finish(SolveOutcome::noSolution);
  if (!insert(position, hashOf(position))) return finish(SolveOutcome::outOfMemory);
  const BoardSize size = root_.size;
  const int goalCell = size.height >= 2 ? size.width + size.width - 2 : -1;
  std::unique_ptr<Batch[]> batches(new Batch[batchRing]);

  for (uint32_t head = 0; head < records_.count(); ++head) {
    // A pipeline over the queue: the table slots of the children of the
    // record slotsAhead places on are fetched, then the records that those
    // slots name, so the memory reads of many lookups overlap.
    if (head + slotsAhead < records_.count()) batchFor(batches.get(), head + slotsAhead);
    if (head + recordsAhead < records_.count()) {
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

SolveResult solveByTable(const BoardState& root, const SolveOptions& options) {
  if (root.size.cellCount() <= 64) return Search<uint64_t>(root, options).run();
  return Search<unsigned __int128>(root, options).run();
}

SolveResult solveBoard(const BoardState& root, const SolveOptions& options) {
  return solveByLayers(root, options);
}
