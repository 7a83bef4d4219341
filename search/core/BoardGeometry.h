// Board geometry for the search, worked out once per search: the cells each
// shape covers from each origin, where a one-cell step takes it, and which
// cells that step enters. Whether a step can be made is decided in
// StepMoves.h alone.
//
// A position lists one origin cell per piece, y * width + x. Every catalog
// shape has a cell at dx = 0 and one at dy = 0, so the origin of a piece that
// lies on the board is itself on the board and fits in a byte (at most 80
// cells). CellMask has a bit per cell: 64 bits for boards of up to 64 cells,
// 128 beyond.
#pragma once

#include <cstdint>

#include "model/BoardSize.h"
#include "model/MoveByte.h"
#include "model/Shape.h"

constexpr uint8_t noCell = 0xFF;

// A bit per cell of boards beyond 64 cells.
using CellMask128 = unsigned __int128;

template <typename CellMask>
struct BoardGeometry {
  BoardSize size;
  // Cells covered by shape s at origin c; 0 where the shape does not fit.
  CellMask mask[shapeCount][maxBoardCells] = {};
  // Origin after moving shape s from origin c in direction d, or noCell.
  uint8_t step[shapeCount][maxBoardCells][moveDirectionCount] = {};
  // The cells that step enters, which must be free; all cells when the
  // step leaves the board, so that it always meets the piece itself.
  CellMask entered[shapeCount][maxBoardCells][moveDirectionCount] = {};
  // The origins where shape s fits on the board, and its cells as offsets
  // from its origin (dy * width + dx).
  CellMask fits[shapeCount] = {};
  int offsets[shapeCount][maxShapeCells] = {};
  int offsetCount[shapeCount] = {};
  // The cells off the last and off the first column: a shift of a set of
  // cells by one to the right or the left must not wrap into the next row.
  CellMask beforeLastColumn = 0;
  CellMask afterFirstColumn = 0;

  explicit BoardGeometry(BoardSize boardSize) : size(boardSize) {
    for (int c = 0; c < size.cellCount(); ++c) {
      if (c % size.width != size.width - 1) beforeLastColumn |= bit(c);
      if (c % size.width != 0) afterFirstColumn |= bit(c);
    }
    for (int s = 0; s < shapeCount; ++s) {
      const Shape& shape = catalogShape(s);
      for (int k = 0; k < shape.cellCount; ++k) {
        offsets[s][k] = shape.cells[2 * k + 1] * size.width + shape.cells[2 * k];
      }
      offsetCount[s] = shape.cellCount;
      for (int c = 0; c < size.cellCount(); ++c) {
        mask[s][c] = shapeMask(shape, c);
        if (mask[s][c] != 0) fits[s] |= bit(c);
      }
      for (int c = 0; c < size.cellCount(); ++c) {
        for (int d = 0; d < moveDirectionCount; ++d) {
          step[s][c][d] = stepTo(s, c, d);
          entered[s][c][d] =
              step[s][c][d] == noCell ? ~CellMask{0} : mask[s][step[s][c][d]] & ~mask[s][c];
        }
      }
    }
  }

  static CellMask bit(int cell) { return CellMask{1} << cell; }
  // The lowest cell of a set that is not empty.
  static int lowestCell(CellMask cells) {
    if constexpr (sizeof(CellMask) <= 8) {
      return __builtin_ctzll(static_cast<uint64_t>(cells));
    } else {
      const uint64_t low = static_cast<uint64_t>(cells);
      return low != 0 ? __builtin_ctzll(low)
                      : 64 + __builtin_ctzll(static_cast<uint64_t>(cells >> 64));
    }
  }

 private:
  CellMask shapeMask(const Shape& shape, int origin) const {
    const int x = origin % size.width;
    const int y = origin / size.width;
    CellMask cells = 0;
    for (int k = 0; k < shape.cellCount; ++k) {
      const int cx = x + shape.cells[2 * k];
      const int cy = y + shape.cells[2 * k + 1];
      if (cx >= size.width || cy >= size.height) return 0;
      cells |= bit(cy * size.width + cx);
    }
    return cells;
  }

  uint8_t stepTo(int s, int origin, int d) const {
    const int x = origin % size.width + moveDx[d];
    const int y = origin / size.width + moveDy[d];
    if (!size.contains(x, y)) return noCell;
    const int to = y * size.width + x;
    return mask[s][to] == 0 ? noCell : static_cast<uint8_t>(to);
  }
};
