#include "OccupancyGrid.h"

void OccupancyGrid::mark(const Piece& piece) {
  const int x = piece.x();
  const int y = piece.y();
  const int8_t* cells = piece.cells();
  for (int k = 0; k < piece.cellCount(); ++k) {
    const int cx = x + cells[2 * k];
    const int cy = y + cells[2 * k + 1];
    if (size_.contains(cx, cy)) cells_[indexOf(cx, cy)] = 1;
  }
}

bool OccupancyGrid::fits(const Piece& piece) const {
  const int x = piece.x();
  const int y = piece.y();
  const int8_t* cells = piece.cells();
  for (int k = 0; k < piece.cellCount(); ++k) {
    const int cx = x + cells[2 * k];
    const int cy = y + cells[2 * k + 1];
    // The bounds come first, so the cells are never read off the board.
    if (!size_.contains(cx, cy) || cells_[indexOf(cx, cy)] != 0) return false;
  }
  return true;
}

int OccupancyGrid::markedCount() const {
  int count = 0;
  for (int i = 0; i < size_.cellCount(); ++i) count += cells_[i] != 0;
  return count;
}
