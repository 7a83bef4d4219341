// The counted moves of one piece in each metric, and the one-cell steps that
// make each of them up.
//
// Design (moves). A counted move takes one piece from its origin to another
// origin while the other pieces stay; the metric says which origins:
//   step  the four neighbouring origins, in the order right, left, up, down;
//   line  the origins along each direction up to the first one that does not
//         fit, directions right, left, up, down, nearer origins first;
//   path  every other origin the piece reaches by one-cell steps, in the
//         order in which a breadth-first walk of those steps (trying right,
//         left, up, down from each origin) first reaches them.
// The steps of a move are the direction codes of its cells: one for step, the
// same one repeated for line, and for path the route by which that walk
// first reached the destination. That route is the first in direction order
// of the shortest routes, since the walk reaches the origins of each
// distance in the order of their routes.
//
// In every metric a move can be undone by one move of the same piece (the
// cells a slide or a walk crosses are free both ways), which the search uses
// to find the parent of a position. From one position, two different moves
// never lead to the same position, even when pieces of one shape are not
// told apart: moves of two such pieces leave different sets of origins.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <type_traits>
#include <vector>

#include "BoardGeometry.h"
#include "StepMoves.h"
#include "model/MoveMetric.h"

template <typename CellMask>
class MetricMoves {
 public:
  MetricMoves(MoveMetric metric, const BoardGeometry<CellMask>& geometry)
      : metric_(metric), geometry_(geometry) {}

  // The most destinations one piece can have in one position.
  int maxDestinations() const {
    switch (metric_) {
      case MoveMetric::step:
        return moveDirectionCount;
      case MoveMetric::line:
        return geometry_.size.width + geometry_.size.height - 2;
      case MoveMetric::path:
        break;
    }
    return geometry_.size.cellCount() - 1;
  }

  // Calls `visit(to)` for each origin that the piece of shape `shape` at
  // `from` reaches in one counted move, in the metric's order; `cells` holds
  // every occupied cell, the piece's own included.
  template <typename Visit>
  void forEachDestination(int shape, uint8_t from, CellMask cells, Visit visit) const {
    switch (metric_) {
      case MoveMetric::step:
        forEachDestinationIn<MoveMetric::step>(shape, from, cells, visit);
        return;
      case MoveMetric::line:
        forEachDestinationIn<MoveMetric::line>(shape, from, cells, visit);
        return;
      case MoveMetric::path:
        forEachDestinationIn<MoveMetric::path>(shape, from, cells, visit);
        return;
    }
  }

  // forEachDestination for a metric fixed at compile time, for loops that
  // choose the metric once outside.
  template <MoveMetric metric, typename Visit>
  void forEachDestinationIn(int shape, uint8_t from, CellMask cells, Visit& visit) const {
    assert(metric == metric_);
    if constexpr (metric == MoveMetric::step) {
      forEachStep(shape, from, cells, visit);
    } else if constexpr (metric == MoveMetric::line) {
      forEachSlide(shape, from, cells ^ geometry_.mask[shape][from], visit);
    } else {
      walk(shape, from, cells ^ geometry_.mask[shape][from], noCell, visit);
    }
  }

  MoveMetric metric() const { return metric_; }

  // Appends the direction codes of the steps of the counted move from `from`
  // to `to`, which must be one of the destinations forEachDestination gives
  // for the same `cells`.
  void appendSteps(int shape, uint8_t from, uint8_t to, CellMask cells,
                   std::vector<uint8_t>& directions) const {
    if (metric_ != MoveMetric::path) {
      appendStraightSteps(from, to, directions);
      return;
    }
    uint8_t cameBy[maxBoardCells];
    std::fill(std::begin(cameBy), std::end(cameBy), noCell);
    walk(shape, from, cells ^ geometry_.mask[shape][from], to, [&](uint8_t reached, int direction) {
      cameBy[reached] = static_cast<uint8_t>(direction);
    });
    const size_t end = directions.size();
    for (uint8_t at = to; at != from;) {
      const int d = cameBy[at];
      assert(d != noCell && "the destination must be reachable");
      if (d == noCell) break;
      directions.push_back(static_cast<uint8_t>(d));
      at = geometry_.step[shape][at][d ^ 1];  // codes 0/1 and 2/3 are opposites
    }
    std::reverse(directions.begin() + static_cast<std::ptrdiff_t>(end), directions.end());
  }

 private:
  template <typename Visit>
  void forEachStep(int shape, uint8_t from, CellMask cells, Visit& visit) const {
    ::forEachStep(geometry_, shape, from, cells, [&](int, uint8_t to) { visit(to); });
  }

  template <typename Visit>
  void forEachSlide(int shape, uint8_t from, CellMask others, Visit& visit) const {
    for (int d = 0; d < moveDirectionCount; ++d) {
      for (uint8_t at = from;;) {
        const uint8_t to = geometry_.step[shape][at][d];
        if (to == noCell || !stepIsFree(geometry_.entered[shape][at][d], others)) break;
        visit(to);
        at = to;
      }
    }
  }

  // The breadth-first walk of one-cell steps from `from` among `others`:
  // calls `visit(origin)`, or `visit(origin, direction)` with the step that
  // reached it, for each origin as first reached, until `stopAt` is reached.
  template <typename Visit>
  void walk(int shape, uint8_t from, CellMask others, uint8_t stopAt, Visit visit) const {
    uint8_t queue[maxBoardCells];
    int head = 0, tail = 0;
    queue[tail++] = from;
    CellMask seen = BoardGeometry<CellMask>::bit(from);
    while (head < tail) {
      const uint8_t at = queue[head++];
      for (int d = 0; d < moveDirectionCount; ++d) {
        const uint8_t to = geometry_.step[shape][at][d];
        if (to == noCell || (seen & BoardGeometry<CellMask>::bit(to)) != 0) continue;
        if (!stepIsFree(geometry_.entered[shape][at][d], others)) continue;
        seen |= BoardGeometry<CellMask>::bit(to);
        queue[tail++] = to;
        if constexpr (std::is_invocable_v<Visit, uint8_t, int>) {
          visit(to, d);
        } else {
          visit(to);
        }
        if (to == stopAt) return;
      }
    }
  }

  // One direction repeated: a step or a slide along a row or a column.
  void appendStraightSteps(uint8_t from, uint8_t to, std::vector<uint8_t>& directions) const {
    const int width = geometry_.size.width;
    const int dx = to % width - from % width;
    const int dy = to / width - from / width;
    assert((dx == 0) != (dy == 0));
    const int direction = dx > 0 ? 0 : dx < 0 ? 1 : dy > 0 ? 2 : 3;
    directions.insert(directions.end(), static_cast<size_t>(dx != 0 ? std::abs(dx) : std::abs(dy)),
                      static_cast<uint8_t>(direction));
  }

  MoveMetric metric_;
  const BoardGeometry<CellMask>& geometry_;
};
