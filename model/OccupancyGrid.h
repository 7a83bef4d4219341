// Scratch cells in which a placement test marks the occupied cells; each test
// owns its grid, so tests can run side by side.
#pragma once

#include <array>
#include <cstdint>

#include "BoardSize.h"
#include "Piece.h"

class OccupancyGrid {
 public:
  // A grid of `size`, every cell free.
  explicit OccupancyGrid(BoardSize size) : size_(size) {}

  BoardSize size() const { return size_; }

  // Marks the cells of `piece`; cells off the board are skipped.
  void mark(const Piece& piece);

  // Whether every cell of `piece` lies on the board and on a free cell.
  bool fits(const Piece& piece) const;

  bool occupied(int x, int y) const { return size_.contains(x, y) && cells_[indexOf(x, y)] != 0; }
  int markedCount() const;

 private:
  int indexOf(int x, int y) const { return size_.width * y + x; }

  BoardSize size_;
  std::array<uint8_t, maxBoardCells> cells_{};
};
