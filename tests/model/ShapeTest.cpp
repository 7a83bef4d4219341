#include "model/Shape.h"

#include <gtest/gtest.h>

#include "model/Palette.h"
#include "model/Piece.h"

TEST(ShapeTest, CatalogRowsGiveTheirCellCountsAndExtents) {
  struct Expected {
    int maxDx, maxDy, cellCount;
  };
  const Expected expected[shapeCount] = {
      {1, 1, 4}, {0, 0, 1}, {1, 0, 2}, {0, 1, 2}, {0, 2, 3}, {2, 2, 5}, {2, 1, 4},
      {2, 1, 4}, {1, 1, 3}, {1, 1, 3}, {1, 1, 3}, {1, 1, 3}, {2, 1, 4}, {2, 1, 4},
      {2, 0, 3}, {1, 2, 4}, {1, 2, 4}, {1, 2, 4}, {1, 2, 4}};
  for (int row = 0; row < shapeCount; ++row) {
    SCOPED_TRACE(row);
    const Piece piece(row);
    EXPECT_EQ(piece.maxDx(), expected[row].maxDx);
    EXPECT_EQ(piece.maxDy(), expected[row].maxDy);
    EXPECT_EQ(piece.cellCount(), expected[row].cellCount);
    EXPECT_EQ(piece.shapeIndex(), row);
    EXPECT_EQ(piece.x(), 0);
    EXPECT_EQ(piece.y(), 0);
    // Every cell lies inside the box the extents describe, and there is an
    // end marker right after the last cell unless the shape fills all five.
    for (int k = 0; k < piece.cellCount(); ++k) {
      EXPECT_GE(piece.cells()[2 * k], 0);
      EXPECT_LE(piece.cells()[2 * k], piece.maxDx());
      EXPECT_GE(piece.cells()[2 * k + 1], 0);
      EXPECT_LE(piece.cells()[2 * k + 1], piece.maxDy());
    }
    if (piece.cellCount() < maxShapeCells) {
      EXPECT_EQ(piece.cells()[2 * piece.cellCount()], cellEndMarker);
    }
  }
}

TEST(ShapeTest, ShapesThatLeaveTheirOriginFree) {
  for (int row : {5, 7, 9, 13, 16, 17}) {
    const Piece piece(row);
    for (int k = 0; k < piece.cellCount(); ++k) {
      EXPECT_FALSE(piece.cells()[2 * k] == 0 && piece.cells()[2 * k + 1] == 0) << row;
    }
  }
}

TEST(ShapeTest, CopiesMoveIndependentlyAndShareTheirShape) {
  Piece source(4);
  source.setX(2);
  Piece copy = source;
  copy.setX(-3);
  copy.setY(7);
  EXPECT_EQ(source.x(), 2);
  EXPECT_EQ(source.y(), 0);
  EXPECT_EQ(copy.x(), -3);
  EXPECT_EQ(&copy.shape(), &source.shape());
}

TEST(ShapeTest, PaletteMakesTheSquareWhiteAndTheSingleCellRed) {
  EXPECT_EQ(Palette[0].red + Palette[0].green + Palette[0].blue, 3.0);
  EXPECT_EQ(Palette[1].red, 1.0);
  EXPECT_EQ(Palette[1].green + Palette[1].blue, 0.0);
  EXPECT_DOUBLE_EQ(Palette[7].green * 0.5, 0.4);
}
