// The size of a board in cells, chosen once per puzzle and carried with it.
#pragma once

constexpr int minBoardWidth = 2;
constexpr int maxBoardWidth = 10;
constexpr int minBoardHeight = 2;
constexpr int maxBoardHeight = 8;
constexpr int maxBoardCells = maxBoardWidth * maxBoardHeight;

struct BoardSize {
  int width = 6;   // columns; 6 by 5 is where the size screen starts
  int height = 5;  // rows

  int cellCount() const { return width * height; }
  // Whether cell (x, y) lies on the board.
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  // The goal: the origin cell (y * width + x) of the square standing in the
  // exit, x = width - 2 and y = 1; -1 on a board of two rows, which has no
  // room for it there.
  int exitCell() const { return height >= 3 ? width + width - 2 : -1; }
  // Whether a square at origin (x, y) stands in the exit.
  bool isExit(int x, int y) const { return contains(x, y) && y * width + x == exitCell(); }
  // Whether both sides lie within the limits a person can choose.
  bool isValid() const {
    return width >= minBoardWidth && width <= maxBoardWidth && height >= minBoardHeight &&
           height <= maxBoardHeight;
  }
  bool operator==(const BoardSize& other) const {
    return width == other.width && height == other.height;
  }
  bool operator!=(const BoardSize& other) const { return !(*this == other); }
};
