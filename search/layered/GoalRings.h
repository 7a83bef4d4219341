// Where piece 0 stands near the goal, worked out once a search from the
// board's geometry alone: only a move of piece 0 can enter the goal, so the
// positions near it are those whose piece 0 stands near it.
#pragma once

#include "search/core/BoardGeometry.h"
#include "search/core/StepMoves.h"

template <typename CellMask>
struct GoalRings {
  // The rings: within[r][cell] when piece 0 at `cell` can reach the goal
  // in r + 1 steps or fewer (the other pieces aside).
  static constexpr int rings = 3;

  // For piece 0 of shape `shape`; a board without an exit has no rings.
  GoalRings(const BoardGeometry<CellMask>& geometry, int shape)
      : goalCell(geometry.size.exitCell()) {
    if (goalCell < 0) return;
    for (int direction = 0; direction < moveDirectionCount; ++direction) {
      const uint8_t from = geometry.step[shape][goalCell][direction ^ 1];
      if (from == noCell || geometry.step[shape][from][direction] != goalCell) continue;
      within[0][from] = true;
      entersGoal[from] = geometry.entered[shape][from][direction];
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
  }

  // Whether piece 0 at `cell`, one step from the goal, can make that step
  // while `occupied` are taken.
  bool entersGoalFrom(int cell, CellMask occupied) const {
    return within[0][cell] && stepIsFree(entersGoal[cell], occupied);
  }

  int goalCell;  // -1 when the board has no exit
  bool within[rings][maxBoardCells] = {};
  // By origin one step from the goal: the cells that step enters.
  CellMask entersGoal[maxBoardCells] = {};
};
