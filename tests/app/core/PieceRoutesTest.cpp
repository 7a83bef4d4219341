#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <queue>
#include <random>
#include <utility>
#include <vector>

#include "app/core/PieceRoutes.h"
#include "model/MoveByte.h"
#include "tests/app/core/PlayBoards.h"

namespace {

using Origin = std::pair<int, int>;

// The piece moved by one cell in `direction`.
Piece stepped(Piece piece, int direction) {
  piece.setX(static_cast<int8_t>(piece.x() + moveDx[direction]));
  piece.setY(static_cast<int8_t>(piece.y() + moveDy[direction]));
  return piece;
}

// How many steps piece `index` needs to each origin it can reach, found
// with the board's own placement test rather than the search's geometry.
std::map<Origin, int> stepsToReach(const BoardState& board, int index) {
  std::map<Origin, int> steps{{{board.pieces[index].x(), board.pieces[index].y()}, 0}};
  std::queue<Piece> queue;
  queue.push(board.pieces[index]);
  while (!queue.empty()) {
    const Piece at = queue.front();
    queue.pop();
    for (int direction = 0; direction < moveDirectionCount; ++direction) {
      const Piece to = stepped(at, direction);
      if (!board.canPlace(to, index) || steps.count({to.x(), to.y()}) != 0) continue;
      steps[{to.x(), to.y()}] = steps[{at.x(), at.y()}] + 1;
      queue.push(to);
    }
  }
  return steps;
}

int apart(Origin a, Origin b) {
  return std::abs(a.first - b.first) + std::abs(a.second - b.second);
}

}  // namespace

TEST(PieceRoutesTest, ADragGoesByAShortestFreeRouteToTheNearestOriginItCanReach) {
  std::mt19937 random(6);
  for (int round = 0; round < 300; ++round) {
    BoardState board = randomPlayLayout(random);
    const PieceRoutes routes(board.size);
    const int index = std::uniform_int_distribution<int>(0, board.pieceCount() - 1)(random);
    // Anywhere on the board or a little off it, as a pointer may be.
    const Origin target{std::uniform_int_distribution<int>(-2, board.size.width + 1)(random),
                        std::uniform_int_distribution<int>(-2, board.size.height + 1)(random)};
    const std::map<Origin, int> reach = stepsToReach(board, index);
    // The origin the route must end on: nearest the target, then fewest
    // steps away.
    std::pair<int, int> bestRank{1 << 20, 0};
    for (const auto& [origin, steps] : reach) {
      bestRank = std::min(bestRank, std::pair{apart(origin, target), steps});
    }
    SCOPED_TRACE("round " + std::to_string(round));
    int steps = 0;
    while (const std::optional<int> direction =
               routes.firstStepTowards(board, index, target.first, target.second)) {
      const Piece to = stepped(board.pieces[index], *direction);
      // Never onto another piece, never off the board.
      ASSERT_TRUE(board.canPlace(to, index));
      board.placePiece(to, index);
      ASSERT_LE(++steps, bestRank.second);
    }
    const Origin end{board.pieces[index].x(), board.pieces[index].y()};
    EXPECT_EQ(apart(end, target), bestRank.first);
    // A shortest route: as many steps as the origin is away.
    EXPECT_EQ(steps, reach.at(end));
    EXPECT_EQ(steps, bestRank.second);
  }
}

TEST(PieceRoutesTest, APieceWalksRoundAnotherToItsTarget) {
  // The square fills (1..2, 0..1) of a 4 by 3 board; the cell at (0, 0)
  // reaches (3, 0) only over the top, seven steps, the first one up.
  BoardState board = boardOf(4, 3, {pieceAt(0, 1, 0), pieceAt(1, 0, 0)});
  const PieceRoutes routes(board.size);
  int steps = 0;
  EXPECT_EQ(routes.firstStepTowards(board, 1, 3, 0), std::optional<int>(2));
  while (const std::optional<int> direction = routes.firstStepTowards(board, 1, 3, 0)) {
    board.placePiece(stepped(board.pieces[1], *direction), 1);
    ++steps;
  }
  EXPECT_EQ(steps, 7);
  EXPECT_EQ(placesOf(board), (std::vector<Origin>{{1, 0}, {3, 0}}));
  EXPECT_EQ(routes.firstStepTowards(board, 0, 1, 0), std::nullopt);  // already there

  // Boxed in: a cell right of the square on a 3 by 2 board goes only up
  // and down, and stays where it is nearest a target on the left.
  const BoardState boxed = boardOf(3, 2, {pieceAt(0, 0, 0), pieceAt(1, 2, 0)});
  const PieceRoutes small(boxed.size);
  EXPECT_EQ(small.firstStepTowards(boxed, 1, 0, 0), std::nullopt);
  EXPECT_EQ(small.firstStepTowards(boxed, 1, 0, 1), std::optional<int>(2));
}
