// A shape standing at a board position; copied by value everywhere.
#pragma once

#include <cstdint>

#include "Shape.h"

class Piece {
 public:
  // A piece of catalog shape `shapeIndex` (0 to 18) standing at (0, 0).
  explicit Piece(int shapeIndex);

  const Shape& shape() const { return *shape_; }
  int shapeIndex() const { return shape_->shapeIndex; }
  int8_t maxDx() const { return shape_->maxDx; }
  int8_t maxDy() const { return shape_->maxDy; }
  int cellCount() const { return shape_->cellCount; }
  // The shape's ten cell bytes: dx, dy pairs; only the first cellCount() count.
  const int8_t* cells() const { return shape_->cells; }

  int8_t x() const { return x_; }
  int8_t y() const { return y_; }
  // Moves the piece; nothing is checked here, the board decides what fits.
  void setX(int8_t x) { x_ = x; }
  void setY(int8_t y) { y_ = y; }

 private:
  const Shape* shape_;
  int8_t x_ = 0;
  int8_t y_ = 0;
};
