// Where piece 0 stands near the goal, and whether one move of it enters the
// goal: only a move of piece 0 can, so the positions near the goal are those
// whose piece 0 stands near it. Worked out once a search.
#pragma once

#include "model/MoveMetric.h"
#include "search/core/BoardGeometry.h"
#include "search/core/StepMoves.h"

// What the watch looks for: one move of piece 0 into the exit, or nothing
// (when the whole set of positions is made).
enum class WatchFor { exit, nothing };

template <typename CellMask>
class GoalWatch {
 public:
  // The rings, in the step metric: within[r][cell] when piece 0 at `cell`
  // can reach the goal in r + 1 steps or fewer (the other pieces aside).
  static constexpr int rings = 3;

  // For piece 0 of shape `shape`, moves counted in `metric`; a board without
  // an exit has none of it.
  GoalWatch(const BoardGeometry<CellMask>& geometry, int shape, MoveMetric metric,
            WatchFor watchFor = WatchFor::exit)
      : goalCell(geometry.size.exitCell()), geometry_(geometry), shape_(shape), metric_(metric) {
    if (goalCell < 0 || watchFor == WatchFor::nothing) return;
    goalArea_ = geometry.mask[shape][goalCell];
    for (int direction = 0; direction < moveDirectionCount; ++direction) {
      const uint8_t from = geometry.step[shape][goalCell][direction ^ 1];
      if (from == noCell || geometry.step[shape][from][direction] != goalCell) continue;
      within[0][from] = true;
      entersGoal_[from] = geometry.entered[shape][from][direction];
      towardGoal_[from] = static_cast<int8_t>(direction);
    }
    for (int ring = 1; ring < rings; ++ring) {
      for (int cell = 0; cell < maxBoardCells; ++cell) {
        if (!within[ring - 1][cell]) continue;
        within[ring][cell] = true;
        for (int direction = 0; direction < moveDirectionCount; ++direction) {
          const uint8_t before = geometry.step[shape][cell][direction];
          if (before != noCell && geometry.step[shape][before][direction ^ 1] == cell) {
            within[ring][before] = true;
          }
        }
      }
    }
    const int width = geometry.size.width;
    for (int cell = 0; cell < geometry.size.cellCount(); ++cell) {
      if (cell == goalCell || geometry.mask[shape][cell] == 0) continue;
      mayEnter_[cell] = metric == MoveMetric::step ? within[0][cell]
                        : metric == MoveMetric::line
                            ? cell / width == goalCell / width || cell % width == goalCell % width
                            : true;
      if (metric == MoveMetric::line && !within[0][cell]) {
        const int dx = goalCell % width - cell % width;
        const int dy = goalCell / width - cell / width;
        towardGoal_[cell] = static_cast<int8_t>(dx > 0 ? 0 : dx < 0 ? 1 : dy > 0 ? 2 : 3);
      }
    }
  }

  // Whether one move of piece 0 may enter the goal from `cell` when the
  // other pieces allow it: a cheap test before entersGoalFrom().
  bool mayEnterFrom(int cell) const { return mayEnter_[cell]; }

  // Whether piece 0 at `cell` enters the goal in one move while the cells
  // `occupied` (its own included) are taken.
  bool entersGoalFrom(int cell, CellMask occupied) const {
    if (!mayEnter_[cell]) return false;
    if (metric_ == MoveMetric::step) return stepIsFree(entersGoal_[cell], occupied);
    const CellMask others = occupied & ~geometry_.mask[shape_][cell];
    if (cellsMeet(goalArea_, others)) return false;
    if (metric_ == MoveMetric::path) {
      return (reachableOrigins(geometry_, shape_, cell, others) >> goalCell & 1) != 0;
    }
    // A slide along the goal's row or column.
    const int direction = towardGoal_[cell];
    for (int at = cell; at != goalCell;) {
      if (!stepIsFree(geometry_.entered[shape_][at][direction], others)) return false;
      at = geometry_.step[shape_][at][direction];
    }
    return true;
  }

  const int goalCell;  // -1 when the board has no exit
  bool within[rings][maxBoardCells] = {};

 private:
  const BoardGeometry<CellMask>& geometry_;
  const int shape_;
  const MoveMetric metric_;
  CellMask goalArea_ = 0;  // the cells of piece 0 in the goal
  bool mayEnter_[maxBoardCells] = {};
  // By origin one step from the goal: the cells that step enters.
  CellMask entersGoal_[maxBoardCells] = {};
  // By origin on the goal's row or column: the direction toward the goal.
  int8_t towardGoal_[maxBoardCells] = {};
};
