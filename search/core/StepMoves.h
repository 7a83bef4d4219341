// The one-cell steps of the pieces: the one place that decides whether a
// piece may go where a step takes it. Every engine, the walk back to the
// answer and the watch for the goal ask here, in the form that suits them:
// one step, a piece's four steps as bits without branches, or a visit of
// each step in order.
#pragma once

#include <cstdint>

#include "BoardGeometry.h"
#include "model/MoveByte.h"

// Whether two sets of cells share one.
template <typename CellMask>
inline bool cellsMeet(CellMask a, CellMask b) {
  return (a & b) != 0;
}

// Whether a step that enters the cells `enters` (BoardGeometry::entered) can
// be made while the cells `occupied` are taken. A step off the board enters
// every cell, so it always meets the piece itself.
template <typename CellMask>
inline bool stepIsFree(CellMask enters, CellMask occupied) {
  return !cellsMeet(enters, occupied);
}

// The directions in which a piece can step, as bits 0 to 3, from the cells
// its four steps enter (BoardGeometry::entered[shape][origin]); without a
// branch, for loops over many pieces whose moves are unpredictable.
template <typename CellMask>
inline uint64_t freeSteps(const CellMask* entered, CellMask occupied) {
  return uint64_t{stepIsFree(entered[0], occupied)} |
         uint64_t{stepIsFree(entered[1], occupied)} << 1 |
         uint64_t{stepIsFree(entered[2], occupied)} << 2 |
         uint64_t{stepIsFree(entered[3], occupied)} << 3;
}

// Calls visit(direction, to) for each step that the piece of shape `shape`
// at origin `from` can make, in the order right, left, up, down; `occupied`
// holds every occupied cell, the piece's own included.
template <typename CellMask, typename Visit>
void forEachStep(const BoardGeometry<CellMask>& geometry, int shape, int from, CellMask occupied,
                 Visit&& visit) {
  const CellMask* entered = geometry.entered[shape][from];
  for (int direction = 0; direction < moveDirectionCount; ++direction) {
    if (stepIsFree(entered[direction], occupied)) {
      visit(direction, geometry.step[shape][from][direction]);
    }
  }
}
