// Works out the longest layout code from first principles (the argument is
// in docs/layout-code.md) and holds maxLayoutCodeBody to it: a change of the
// shapes, the board limits or the code's digits that makes a longer code
// possible fails here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "model/BoardSize.h"
#include "model/MoveByte.h"
#include "model/Shape.h"
#include "puzzle/CodeNumber.h"
#include "puzzle/LayoutCode.h"

namespace {

constexpr int columns = maxBoardWidth;
constexpr int rows = maxBoardHeight;
constexpr int columnMasks = 1 << rows;
static_assert(rows <= 8, "a column's cells fit in a byte");

// mostPlaces[m]: the most places of the 19 shapes that lie wholly inside any
// set of m cells of the largest board. Every shape spans at most three
// columns, so a walk over the columns that keeps the last two columns' cells
// counts each place once, at its rightmost column.
std::vector<int> mostPlacesInCells() {
  // For each pair of previous columns (a, b), how many places end in a new
  // column d: a count of required d cells, summed over the subsets of d.
  std::vector<uint8_t> gain(columnMasks * columnMasks * columnMasks, 0);
  struct Need {
    uint32_t a, b, d;
  };
  std::vector<Need> needs;
  for (int shape = 0; shape < shapeCount; ++shape) {
    const Shape& cells = catalogShape(shape);
    for (int y = 0; y + cells.maxDy < rows; ++y) {
      uint32_t parts[3] = {0, 0, 0};
      for (int k = 0; k < cells.cellCount; ++k) {
        parts[2 - cells.maxDx + cells.cells[2 * k]] |= 1u << (y + cells.cells[2 * k + 1]);
      }
      needs.push_back({parts[0], parts[1], parts[2]});
    }
  }
  for (uint32_t ab = 0; ab < columnMasks * columnMasks; ++ab) {
    uint8_t* counts = &gain[ab * columnMasks];
    for (const Need& need : needs) {
      if ((need.a & ~(ab >> rows)) == 0 && (need.b & ~(ab & (columnMasks - 1))) == 0) {
        ++counts[need.d];
      }
    }
    for (int bit = 0; bit < rows; ++bit) {
      for (int d = 0; d < columnMasks; ++d) {
        if (d & (1 << bit)) counts[d] += counts[d ^ (1 << bit)];
      }
    }
  }
  // best[(a, b) * cellCounts + used]: the most places counted so far with
  // `used` cells taken and the last two columns' cells a and b; far below
  // zero where no such set exists, so that adding to it stays below zero.
  const int cellCounts = columns * rows + 1;
  constexpr int16_t none = -20000;
  std::vector<int16_t> best(columnMasks * columnMasks * cellCounts, none);
  std::vector<int16_t> next(best.size());
  best[0] = 0;  // no cell yet, the columns left of the board empty
  for (int column = 0; column < columns; ++column) {
    std::fill(next.begin(), next.end(), none);
    const int reachable = rows * column + 1;
    for (uint32_t b = 0; b < columnMasks; ++b) {
      for (uint32_t d = 0; d < columnMasks; ++d) {
        int16_t* to = &next[((b << rows) | d) * cellCounts + __builtin_popcount(d)];
        for (uint32_t a = 0; a < columnMasks; ++a) {
          const uint32_t ab = (a << rows) | b;
          const int16_t* from = &best[ab * cellCounts];
          const int16_t added = gain[(ab << rows) | d];
          for (int used = 0; used < reachable; ++used) {
            to[used] = std::max<int16_t>(to[used], static_cast<int16_t>(from[used] + added));
          }
        }
      }
    }
    best.swap(next);
  }
  std::vector<int> most(cellCounts, 0);
  for (size_t state = 0; state < best.size(); ++state) {
    most[state % cellCounts] = std::max<int>(most[state % cellCounts], best[state]);
  }
  return most;
}

// The most characters the body of a layout of up to `pieces` pieces takes.
int longestBody(const std::vector<int>& mostPlaces, int pieces) {
  // Piece k (from 1) finds at most mostPlaces[cells - 3 - k] places free,
  // for at least 4 + (k - 1) cells are taken; the pieces' number is largest
  // with every digit at its radix: F1 + F1 F2 + ... + F1...Fn.
  const int cells = columns * rows;
  CodeNumber number;
  for (int k = pieces - 1; k >= 1; --k) {
    const uint32_t radix = static_cast<uint32_t>(mostPlaces[cells - 3 - k]);
    number.multiplyAdd(radix, radix);
  }
  // Then the square's place and the board size, each at most 63 ways, and
  // their digits at most 62: x < 63 * 63 * (pieces' number + 1).
  number.multiplyAdd(1, 1);
  number.multiplyAdd(63 * 63, 0);
  number.decrement();
  int symbols = 0;
  while (!number.isZero()) {
    number.takeDigit(64);
    ++symbols;
  }
  return symbols + 1;  // and the check
}

TEST(LayoutCodeBoundTest, NoCodeIsLongerThanTheLongestCodeKnown) {
  const std::vector<int> most = mostPlacesInCells();
  ASSERT_EQ(most[columns * rows], 1149);  // every place of the empty board
  ASSERT_EQ(most[1], 1);
  for (size_t m = 1; m < most.size(); ++m) ASSERT_LE(most[m - 1], most[m]);
  for (size_t m = 0; m < most.size(); ++m) std::printf("%zu:%d ", m, most[m]);
  std::printf("\n");
  const int longest = longestBody(most, maxLoggedPieces);
  const int longest32 = longestBody(most, 32);
  std::printf("longest body %d; with up to 32 pieces %d\n", longest, longest32);
  RecordProperty("longest_body", longest);
  RecordProperty("longest_body_32_pieces", longest32);
  // tests/puzzle/longest-code.txt has a code this long (LayoutCodeTest).
  EXPECT_EQ(longest, maxLayoutCodeBody);
  EXPECT_LE(longest32, 64);
}

}  // namespace
