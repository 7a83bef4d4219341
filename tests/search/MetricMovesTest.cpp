#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "search/core/MetricMoves.h"

namespace {

// A 3 by 3 board: a one-cell piece at (0, 0), another at (1, 0) in its way.
//   . . .      cells 6 7 8
//   . . .            3 4 5
//   P X .            0 1 2
struct SmallBoard {
  std::unique_ptr<BoardGeometry<uint64_t>> tables =
      std::make_unique<BoardGeometry<uint64_t>>(BoardSize{3, 3});
  const uint64_t cells = 0b011;  // the piece and the cell in its way

  std::vector<int> destinations(MoveMetric metric, int shape = 1, uint8_t from = 0) const {
    std::vector<int> found;
    MetricMoves<uint64_t>(metric, *tables).forEachDestination(shape, from, cells, [&](uint8_t to) {
      found.push_back(to);
    });
    return found;
  }

  std::vector<uint8_t> steps(MoveMetric metric, uint8_t from, uint8_t to) const {
    std::vector<uint8_t> directions;
    MetricMoves<uint64_t>(metric, *tables).appendSteps(1, from, to, cells, directions);
    return directions;
  }
};

constexpr uint8_t right = 0, up = 2, down = 3;

}  // namespace

TEST(MetricMovesTest, DestinationsInEachMetricsOrder) {
  const SmallBoard board;
  EXPECT_EQ(board.destinations(MoveMetric::step), (std::vector<int>{3}));
  EXPECT_EQ(board.destinations(MoveMetric::line), (std::vector<int>{3, 6}));
  // Breadth first: one step away (3), two (4, 6), three (5, 7), four (8, 2);
  // at equal distance, in the order of the routes, right before up.
  EXPECT_EQ(board.destinations(MoveMetric::path), (std::vector<int>{3, 4, 6, 5, 7, 8, 2}));
  // From the middle, sliding tries right, left, up, down, nearer cells first.
  EXPECT_EQ(board.destinations(MoveMetric::line, 1, 4), (std::vector<int>{5, 3, 7}));
}

TEST(MetricMovesTest, StepsOfAMoveFollowTheFirstShortestRoute) {
  const SmallBoard board;
  EXPECT_EQ(board.steps(MoveMetric::path, 0, 2), (std::vector<uint8_t>{up, right, right, down}));
  // Of the routes to (2, 2), up-right-right-up comes before up-right-up-right.
  EXPECT_EQ(board.steps(MoveMetric::path, 0, 8), (std::vector<uint8_t>{up, right, right, up}));
  EXPECT_EQ(board.steps(MoveMetric::line, 0, 6), (std::vector<uint8_t>{up, up}));
  EXPECT_EQ(board.steps(MoveMetric::line, 6, 0), (std::vector<uint8_t>{down, down}));
  EXPECT_EQ(board.steps(MoveMetric::step, 0, 3), (std::vector<uint8_t>{up}));
}

TEST(MetricMovesTest, APieceAloneStaysOnTheBoard) {
  // No other piece: a step off the board must still be refused.
  const auto tables = std::make_unique<BoardGeometry<uint64_t>>(BoardSize{2, 2});
  const uint64_t square = tables->mask[0][0];
  for (const MoveMetric metric : {MoveMetric::step, MoveMetric::line, MoveMetric::path}) {
    int count = 0;
    MetricMoves<uint64_t>(metric, *tables).forEachDestination(0, 0, square, [&](uint8_t) {
      ++count;
    });
    EXPECT_EQ(count, 0);
  }
}
