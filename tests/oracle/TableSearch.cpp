// The table search: breadth-first, in any metric, with a table of every
// position seen; the tests' oracle. Why its answer equals the plain search's,
// its records and its limits: docs/oracle-table-search.md.
#include "TableSearch.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "PositionKeys.h"
#include "PositionTable.h"
#include "RecordChunks.h"
#include "model/MoveByte.h"
#include "search/core/BoardGeometry.h"
#include "search/core/MetricMoves.h"
#include "search/core/RootCells.h"
#include "search/core/SearchControl.h"
#include "search/memory/MemoryBudget.h"

namespace {

constexpr int progressInterval = 10000;

// A move that passed the board and overlap tests, waiting to be looked up.
struct Child {
  uint8_t piece;
  uint8_t to;
  uint64_t hash;
};

// One counted move of the solution, found by walking back from the goal.
template <typename CellMask>
struct FoundMove {
  uint8_t piece = 0;
  uint8_t from = 0;
  uint8_t to = 0;
  CellMask cells = 0;  // occupied cells before the move
};

template <typename CellMask>
class Search {
 public:
  Search(const BoardState& root, const SolveOptions& options)
      : root_(root),
        options_(options),
        pieces_(root.pieceCount()),
        keys_(root),
        budget_(options.memoryBudget),
        records_(std::max(pieces_, 1), budget_),
        table_(budget_) {}

  SolveResult run();

 private:
  CellMask occupied(const uint8_t* position) const;
  // The moves of `position` in piece, then destination order; returns their count.
  int generateChildren(const uint8_t* position, Child* children) const;
  template <MoveMetric metric>
  int generateChildrenIn(const uint8_t* position, Child* children) const;
  // The record index of the position, or -1.
  int64_t find(const uint8_t* position, uint64_t hash) const {
    return table_.probe(
        hash, [&](uint32_t index) { return keys_.samePosition(records_.at(index), position); });
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
  // The move that led to record `at` from its parent; sets `parent`.
  FoundMove<CellMask> moveInto(uint32_t at, uint32_t& parent) const;
  // Fills the solution's steps and their grouping into counted moves.
  void rebuildLog(uint32_t goal, SolveResult& result) const;
  SolveResult finish(SolveOutcome outcome);
  SolveResult solved(uint32_t goal, const uint8_t* position);

  // The record at `record` with its children, as the pipeline in run() holds it.
  struct Batch {
    uint32_t record = UINT32_MAX;
    bool recordsFetched = false;
    int childCount = 0;
    uint8_t position[maxLoggedPieces];
    std::vector<Child> children;
  };
  static constexpr uint32_t slotsAhead = 4;
  static constexpr uint32_t recordsAhead = 2;
  static constexpr uint32_t batchRing = 8;
  Batch& batchFor(Batch* batches, uint32_t index) const;

  const BoardState& root_;
  const SolveOptions& options_;
  const int pieces_;
  std::unique_ptr<BoardGeometry<CellMask>> geometry_;
  std::unique_ptr<MetricMoves<CellMask>> moves_;
  PositionKeys<CellMask> keys_;

  MemoryBudget budget_;
  RecordChunks records_;
  PositionTable table_;
  SolveStats stats_;
};

template <typename CellMask>
CellMask Search<CellMask>::occupied(const uint8_t* position) const {
  CellMask cells = 0;
  for (int i = 0; i < pieces_; ++i) cells |= geometry_->mask[keys_.shapeOf(i)][position[i]];
  return cells;
}

template <typename CellMask>
int Search<CellMask>::generateChildren(const uint8_t* position, Child* children) const {
  // The metric is chosen once per position: the step loop stays as tight as
  // it is without metrics.
  switch (moves_->metric()) {
    case MoveMetric::step:
      return generateChildrenIn<MoveMetric::step>(position, children);
    case MoveMetric::line:
      return generateChildrenIn<MoveMetric::line>(position, children);
    case MoveMetric::path:
      break;
  }
  return generateChildrenIn<MoveMetric::path>(position, children);
}

template <typename CellMask>
template <MoveMetric metric>
int Search<CellMask>::generateChildrenIn(const uint8_t* position, Child* children) const {
  CellMask cells = 0;
  uint64_t hash = 0;
  for (int i = 0; i < pieces_; ++i) {
    cells |= geometry_->mask[keys_.shapeOf(i)][position[i]];
    hash ^= keys_.zobrist(i)[position[i]];
  }
  int count = 0;
  for (int i = 0; i < pieces_; ++i) {
    const uint8_t from = position[i];
    const uint64_t* zobrist = keys_.zobrist(i);
    const uint64_t without = hash ^ zobrist[from];
    auto add = [&](uint8_t to) {
      children[count++] = {static_cast<uint8_t>(i), to, without ^ zobrist[to]};
    };
    moves_->template forEachDestinationIn<metric>(keys_.shapeOf(i), from, cells, add);
  }
  return count;
}

template <typename CellMask>
bool Search<CellMask>::insert(const uint8_t* position, uint64_t hash) {
  const uint32_t count = records_.count();
  if (!table_.hasRoomFor(uint64_t{count} + 1) &&
      !table_.grow(count, [this](uint32_t index) { return keys_.hashOf(records_.at(index)); })) {
    return false;
  }
  if (!records_.reserve()) return false;
  table_.place(count, hash);
  records_.append(position);
  stats_.positions = records_.count();
  stats_.peakBytes = budget_.peak();
  return true;
}

template <typename CellMask>
FoundMove<CellMask> Search<CellMask>::moveInto(uint32_t at, uint32_t& parent) const {
  uint8_t position[maxLoggedPieces];
  std::memcpy(position, records_.at(at), pieces_);
  const CellMask cells = occupied(position);
  FoundMove<CellMask> move;
  parent = at;
  for (int i = 0; i < pieces_; ++i) {
    const int shape = keys_.shapeOf(i);
    const uint8_t here = position[i];
    // Moves are reversible: the parent is among the positions one move away.
    moves_->forEachDestination(shape, here, cells, [&](uint8_t there) {
      position[i] = there;
      const int64_t found = find(position, keys_.hashOf(position));
      position[i] = here;
      if (found < 0 || found >= parent) return;
      parent = static_cast<uint32_t>(found);
      const CellMask before = cells ^ geometry_->mask[shape][here] ^ geometry_->mask[shape][there];
      move = {static_cast<uint8_t>(i), there, here, before};
    });
  }
  assert(parent < at);
  return move;
}

template <typename CellMask>
void Search<CellMask>::rebuildLog(uint32_t goal, SolveResult& result) const {
  std::vector<FoundMove<CellMask>> found;
  for (uint32_t at = goal; at != 0;) {
    uint32_t parent = at;
    found.push_back(moveInto(at, parent));
    at = parent;
  }
  std::vector<uint8_t> directions;
  for (auto move = found.rbegin(); move != found.rend(); ++move) {
    directions.clear();
    moves_->appendSteps(keys_.shapeOf(move->piece), move->from, move->to, move->cells, directions);
    for (const uint8_t d : directions) {
      result.solution.moves.push_back(encodeMove(move->piece, moveDx[d], moveDy[d]));
    }
    result.stepsPerMove.push_back(static_cast<uint16_t>(directions.size()));
  }
}

template <typename CellMask>
void Search<CellMask>::releaseAll() {
  records_.clear();
  table_.clear();
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
  batch.childCount = generateChildren(batch.position, batch.children.data());
  for (int k = 0; k < batch.childCount; ++k) table_.prefetch(batch.children[k].hash);
  return batch;
}

template <typename CellMask>
SolveResult Search<CellMask>::solved(uint32_t goal, const uint8_t* position) {
  SolveResult result;
  result.outcome = SolveOutcome::solved;
  result.solution = root_;
  placeAtCells(position, result.solution);
  rebuildLog(goal, result);
  stats_.peakBytes = budget_.peak();
  result.stats = stats_;
  releaseAll();
  return result;
}

template <typename CellMask>
SolveResult Search<CellMask>::run() {
  if (pieces_ == 0) return finish(SolveOutcome::noSolution);
  assert(pieces_ <= maxLoggedPieces);
  geometry_ = std::make_unique<BoardGeometry<CellMask>>(root_.size);
  moves_ = std::make_unique<MetricMoves<CellMask>>(options_.metric, *geometry_);
  // The tables of a board, charged like the rest.
  BudgetCharge tables(&budget_);
  if (!tables.add(sizeof(BoardGeometry<CellMask>))) return finish(SolveOutcome::outOfMemory);
  uint8_t position[maxLoggedPieces];
  if (!rootCells(root_, *geometry_, position)) return finish(SolveOutcome::noSolution);
  if (!insert(position, keys_.hashOf(position))) return finish(SolveOutcome::outOfMemory);
  const int goalCell = root_.size.exitCell();
  std::unique_ptr<Batch[]> batches(new Batch[batchRing]);
  const size_t maxChildren = static_cast<size_t>(pieces_) * moves_->maxDestinations();
  for (uint32_t k = 0; k < batchRing; ++k) batches[k].children.resize(maxChildren);

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
  // No pieces: no square to key positions by, nothing to move and no goal,
  // as the layered search answers too.
  if (root.pieceCount() == 0) return SolveResult();
  try {
    if (root.size.cellCount() <= 64) return Search<uint64_t>(root, options).run();
    return Search<CellMask128>(root, options).run();
  } catch (...) {
    return resultOfThrow(std::current_exception());
  }
}
