#include "RootCells.h"

void placeAtCells(const uint8_t* cells, BoardState& board) {
  const int width = board.size.width;
  for (int i = 0; i < board.pieceCount(); ++i) {
    board.pieces[i].setX(static_cast<int8_t>(cells[i] % width));
    board.pieces[i].setY(static_cast<int8_t>(cells[i] / width));
  }
}
