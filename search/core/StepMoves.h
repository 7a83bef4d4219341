// The one-cell steps of the pieces: the one place that decides whether a
// piece may go where a step takes it. Every engine, the walk back to the
// answer and the watch for the goal ask here, in the form that suits them:
// one step, a piece's four steps as bits without branches, a visit of each
// step in order, or every origin a piece reaches by steps at once.
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

// The origins where the piece of shape `shape` fits clear of the cells
// `others`: an origin is clear when no cell of the shape there is taken.
template <typename CellMask>
CellMask clearOrigins(const BoardGeometry<CellMask>& geometry, int shape, CellMask others) {
  CellMask blocked = 0;
  for (int k = 0; k < geometry.offsetCount[shape]; ++k) {
    blocked |= others >> geometry.offsets[shape][k];
  }
  return geometry.fits[shape] & ~blocked;
}

// The origins that the piece of shape `shape` at origin `from` reaches by
// one-cell steps while the cells `others` (every other piece's) stay taken,
// `from` included. A step between two clear origins next to each other is
// always free, so this is a flood fill of the clear origins from `from`,
// one step in every direction at a time.
template <typename CellMask>
CellMask reachableOrigins(const BoardGeometry<CellMask>& geometry, int shape, int from,
                          CellMask others) {
  const CellMask clear = clearOrigins(geometry, shape, others);
  const int width = geometry.size.width;
  CellMask reached = BoardGeometry<CellMask>::bit(from);
  for (;;) {
    const CellMask grown =
        (reached | (reached & geometry.beforeLastColumn) << 1 |
         (reached & geometry.afterFirstColumn) >> 1 | reached << width | reached >> width) &
        clear;
    if (grown == reached) return reached;
    reached = grown;
  }
}

// The cells that the piece of shape `shape` covers at any of `origins`.
template <typename CellMask>
CellMask sweptCells(const BoardGeometry<CellMask>& geometry, int shape, CellMask origins) {
  CellMask cells = 0;
  for (int k = 0; k < geometry.offsetCount[shape]; ++k) {
    cells |= origins << geometry.offsets[shape][k];
  }
  return cells;
}
