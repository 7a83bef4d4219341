// The children of one layer. Every thread takes blocks of the layer, decodes
// each position and writes the key of every move's result into a buffer of
// its own; a full buffer is sorted into a run (runs/SortedBlocks.h), the rest
// is sorted in place, and the merge (SearchByLayers) reads them all.
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
// the parent whose move comes last in a fixed order (the design note,
// docs/layered-search.md, says why that parent is always there).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "Arrivals.h"
#include "BackMoves.h"
#include "ChildRuns.h"
#include "CountedMoves.h"
#include "GoalWatch.h"
#include "LayerBacks.h"
#include "UpperMoves.h"
#include "keys/KeyCoding.h"
#include "runs/KeyMerge.h"
#include "runs/SortedBlocks.h"
#include "search/core/BoardGeometry.h"
#include "search/core/PieceGroups.h"
#include "search/core/SearchControl.h"
#include "search/core/ThreadTeam.h"
#include "search/memory/KeyBuffer.h"

// Whether an expansion also keeps apart the children whose piece 0 stands
// where one move takes it next to the goal (nearRecords()).
enum class NearGoal { keepApart, mixIn };

// Which positions of the layer a pass of the expansion takes.
enum class RangeSide {
  inside,   // those in the given key ranges
  outside,  // the others
};

template <typename Codec, typename CellMask>
class LayerExpansion {
 public:
  using Key = typename Codec::KeyType;
  // Key ranges, first to last, disjoint and in order.
  using KeyRanges = std::vector<std::pair<Key, Key>>;

  // Moves counted in `metric`. Children carry up to `backBytes` back moves
  // when the keys leave room; the threads' buffers together hold about
  // `bufferBytes` before they are sorted into runs. `watch` says where piece
  // 0 stands near the goal.
  LayerExpansion(MoveMetric metric, const Codec& codec, const PieceGroups& groups,
                 const BoardGeometry<CellMask>& geometry, const GoalWatch<CellMask>& watch,
                 MemoryBudget& budget, SearchControl& control, const RunStorage& storage,
                 ThreadTeam& team, int backBytes, size_t bufferBytes);

  // How the children are kept: keys with their back moves.
  const RecordFormat<Key>& format() const { return format_; }

  // Expands every position of `layer`; `blockBacks`, when not empty, holds
  // the back moves of its positions.
  // The positions in `first` go first; when their children include some next
  // to the goal, the others are left and this returns true
  // (childrenNextToGoal() has them all: only a parent in `first` can make
  // one). Between the two, `stop()` may end it too (returning true). With
  // no first positions, true when some child stands next to the goal.
  bool expand(const SortedBlocks<Key>& layer, const LayerBacks& blockBacks, const KeyRanges& first,
              NearGoal nearGoal, const std::function<bool()>& stop);

  // The records an expansion with NearGoal::keepApart kept apart since the
  // last clear(): each worker's, sorted by key.
  std::vector<KeyRange<Key>> nearRecords() const;

  // Expands positions[0..count) with their back moves `backs` (none when
  // null), only to find their children next to the goal; the others are
  // dropped. True when there are some (childrenNextToGoal()).
  bool probe(const Key* positions, const uint32_t* backs, size_t count);

  // The children next to the goal that the last expand() found, sorted,
  // without repeats; false when memory runs short.
  bool childrenNextToGoal(std::vector<Key>& found) const;

  // Whether some worker sorted part of its children into runs.
  bool hasRuns() const;
  // Adds to `sources` every worker's records from `low` up to `high` (either
  // null for no bound), records as recordOf gives them.
  void addSources(const Key* low, const Key* high,
                  std::vector<std::unique_ptr<KeySource<Key>>>& sources) const;
  // Adds every worker's records from `low` up to `high` (either null for no
  // bound) to `ranges`; there must be no runs.
  void addRanges(const Key* low, const Key* high, std::vector<KeyRange<Key>>& ranges) const;

  // Empties the buffers for the next layer, keeping their memory.
  void clear();
  // Gives back the memory of the records kept apart near the goal.
  void releaseNearRecords();
  // Gives every buffer back.
  void release();

 private:
  struct alignas(128) Worker {
    Worker(const LayerExpansion& expansion, size_t bufferKeys)
        : children(expansion.format_, bufferKeys, expansion.budget_, expansion.control_,
                   expansion.storage_),
          counted(expansion.metric_, expansion.geometry_, expansion.groups_),
          nextToGoal(&expansion.budget_),
          nearRecords(&expansion.budget_) {}
    ChildRuns<Key> children;
    CountedMoves<CellMask> counted;  // in line and path
    Arrivals<CellMask> arrivals;     // in steps
    typename Codec::Decoded decoded;
    UpperMoves<CellMask> upper;
    KeyBuffer<Key> nextToGoal;   // children from which piece 0 enters the goal
    KeyBuffer<Key> nearRecords;  // see NearGoal
  };

  // What a pass of the expansion does with the children when its blocks are
  // done.
  enum class AfterPass {
    sortNearGoal,  // sorts those kept near the goal; the rest may follow
    sortAll,       // sorts every child: the layer is done
  };
  // Spans of blocks of a layer, [first, past the last), in order.
  using BlockSpans = std::vector<std::pair<size_t, size_t>>;
  static size_t nthBlock(const BlockSpans& spans, size_t n) {
    for (const auto& [from, to] : spans) {
      if (n < to - from) return from + n;
      n -= to - from;
    }
    return SIZE_MAX;
  }
  static bool holds(const BlockSpans& spans, size_t b) {
    for (const auto& [from, to] : spans) {
      if (b < to) return b >= from;
    }
    return false;
  }
  struct Pass {
    const BlockSpans* spans;  // the blocks of the layer to expand; all when null
    size_t count;
    int threads;
    RangeSide side;  // of `ranges`, in the blocks of `shared`
    AfterPass after;
  };

  bool expandNearFirst(const SortedBlocks<Key>& layer, const LayerBacks& blockBacks,
                       const KeyRanges& first, const std::function<bool()>& stop);
  void expandBlocks(const SortedBlocks<Key>& layer, const LayerBacks& blockBacks, const Pass& pass,
                    const KeyRanges& ranges, const BlockSpans& shared);
  Worker& startWorker(int t);
  void expandOne(const Key& key, uint32_t backs, Worker& worker) {
    if (metric_ == MoveMetric::step) {
      expandSteps(key, backs, worker);
    } else {
      expandCounted(key, backs, worker);
    }
  }
  void expandSteps(const Key& key, uint32_t backs, Worker& worker);
  void expandCounted(const Key& key, uint32_t backs, Worker& worker);
  // Writes at `out` the record of `child`, made by moving canonical piece k
  // of the worker's decoded position from origin `from` to origin `to`, with
  // the back moves `carried` beside it (as many as the records hold), and
  // keeps it apart when it stands next to the goal or near it; returns the
  // place after the record.
  Key* writeChild(Worker& worker, Key* out, int k, int from, int to, const Key& child,
                  uint32_t carried);
  bool makeRoom(Worker& worker) { return worker.children.makeRoom(mostChildren_); }
  void keep(KeyBuffer<Key>& buffer, const Key& key);

  const Codec& codec_;
  const PieceGroups& groups_;
  const BoardGeometry<CellMask>& geometry_;
  const MoveMetric metric_;
  const GoalWatch<CellMask>& watch_;
  // How far a legal step in each direction moves a piece's origin.
  int stepOffset_[moveDirectionCount] = {};
  // The most children one position can have in the metric.
  size_t mostChildren_ = 0;
  MemoryBudget& budget_;
  SearchControl& control_;
  const RunStorage& storage_;
  ThreadTeam& team_;
  const RecordFormat<Key> format_;
  std::vector<std::unique_ptr<Worker>> workers_;
  // By origin of piece 0: whether it is within two moves of the goal (and
  // not in it), where NearGoal::keepApart keeps children apart.
  bool nearGoal_[maxBoardCells] = {};
  bool keepNearGoal_ = false;
};
