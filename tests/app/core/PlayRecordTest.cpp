#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app/core/PlayRecord.h"
#include "model/MoveByte.h"
#include "search/Solver.h"
#include "tests/app/core/PlayBoards.h"

namespace {

constexpr MoveMetric allMetrics[] = {MoveMetric::step, MoveMetric::line, MoveMetric::path};

// What the person did last, as the counting rule reads it.
struct LastAction {
  bool byHand = false;  // a cell moved by hand, not a hint, undo or redo
  int pieceIndex = -1;
  int direction = -1;
};

// Whether a cell of `pieceIndex` in `direction` after `last` starts a new
// move, as the README words the rule.
bool startsNewMove(MoveMetric metric, const LastAction& last, int pieceIndex, int direction) {
  if (metric == MoveMetric::step || !last.byHand || last.pieceIndex != pieceIndex) return true;
  return metric == MoveMetric::line && last.direction != direction;
}

// A move for a hint: a free cell of some piece, or nothing.
std::optional<PlayRecord::Move> someFreeStep(const BoardState& board, std::mt19937& random) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    const int piece = std::uniform_int_distribution<int>(0, board.pieceCount() - 1)(random);
    const int direction = std::uniform_int_distribution<int>(0, 3)(random);
    Piece moved = board.pieces[piece];
    moved.setX(static_cast<int8_t>(moved.x() + moveDx[direction]));
    moved.setY(static_cast<int8_t>(moved.y() + moveDy[direction]));
    if (board.canPlace(moved, piece)) {
      return PlayRecord::Move{piece, {static_cast<uint8_t>(direction)}, false};
    }
  }
  return std::nullopt;
}

}  // namespace

TEST(PlayRecordTest, CountsRandomPlayAsTheRuleSaysInEveryMetric) {
  std::mt19937 random(35);
  for (const MoveMetric metric : allMetrics) {
    for (int round = 0; round < 60; ++round) {
      const BoardState start = randomPlayLayout(random);
      PlayRecord record(start, metric);
      // The board after each count of moves, as the person saw it: what an
      // undo must give back, and what a redo must give again.
      std::vector<BoardState> boardAfter{start};
      std::vector<BoardState> undoneBoards;
      LastAction last;
      int hints = 0;
      for (int event = 0; event < 200; ++event) {
        const int kind = std::uniform_int_distribution<int>(0, 9)(random);
        SCOPED_TRACE("metric " + std::string(metricName(metric)) + ", round " +
                     std::to_string(round) + ", event " + std::to_string(event));
        if (kind < 6) {
          const int piece = std::uniform_int_distribution<int>(0, start.pieceCount() - 1)(random);
          const int direction = std::uniform_int_distribution<int>(0, 3)(random);
          Piece moved = record.board().pieces[piece];
          moved.setX(static_cast<int8_t>(moved.x() + moveDx[direction]));
          moved.setY(static_cast<int8_t>(moved.y() + moveDy[direction]));
          const bool fits = record.board().canPlace(moved, piece);
          const int before = record.moveCount();
          const BoardState boardBefore = record.board();
          ASSERT_EQ(record.stepPiece(piece, direction), fits);
          if (!fits) {
            // A cell into a piece or off the board changes nothing.
            EXPECT_EQ(placesOf(record.board()), placesOf(boardBefore));
            EXPECT_EQ(record.moveCount(), before);
            continue;
          }
          const bool fresh = startsNewMove(metric, last, piece, direction);
          EXPECT_EQ(record.moveCount(), before + (fresh ? 1 : 0));
          if (fresh) boardAfter.push_back(record.board());
          boardAfter.back() = record.board();
          undoneBoards.clear();
          last = {true, piece, direction};
        } else if (kind == 6) {
          const std::optional<PlayRecord::Move> hint = someFreeStep(record.board(), random);
          if (!hint) continue;
          const int before = record.moveCount();
          ASSERT_TRUE(record.playHint(*hint));
          EXPECT_EQ(record.moveCount(), before + 1);
          EXPECT_EQ(record.hintCount(), ++hints);
          boardAfter.push_back(record.board());
          undoneBoards.clear();
          last = {};
        } else if (kind < 9) {
          const int before = record.moveCount();
          const PlayRecord::Move* undone = record.undo();
          ASSERT_EQ(undone != nullptr, before > 0);
          if (undone == nullptr) continue;
          EXPECT_EQ(record.moveCount(), before - 1);
          undoneBoards.push_back(boardAfter.back());
          boardAfter.pop_back();
          EXPECT_EQ(placesOf(record.board()), placesOf(boardAfter.back()));
          last = {};
        } else {
          const int before = record.moveCount();
          const PlayRecord::Move* redone = record.redo();
          ASSERT_EQ(redone != nullptr, !undoneBoards.empty());
          if (redone == nullptr) continue;
          EXPECT_EQ(record.moveCount(), before + 1);
          boardAfter.push_back(undoneBoards.back());
          undoneBoards.pop_back();
          EXPECT_EQ(placesOf(record.board()), placesOf(boardAfter.back()));
          last = {};
        }
        ASSERT_EQ(record.moveCount() + 1, static_cast<int>(boardAfter.size()));
        EXPECT_EQ(record.hintCount(), hints);  // an undone hint was used all the same
      }
      // Undone all the way: the start, untouched.
      while (record.undo() != nullptr) {
      }
      EXPECT_EQ(record.moveCount(), 0);
      EXPECT_EQ(placesOf(record.board()), placesOf(start));
      EXPECT_EQ(placesOf(record.start()), placesOf(start));
    }
  }
}

TEST(PlayRecordTest, TheEnginesSolutionsPlayedCellByCellCountAsItCounts) {
  std::mt19937 random(81);
  std::vector<BoardState> layouts{classicLayout()};
  while (layouts.size() < 40) layouts.push_back(randomPlayLayout(random));
  for (const MoveMetric metric : allMetrics) {
    SolveOptions options;
    options.metric = metric;
    options.threads = 1;
    for (const BoardState& layout : layouts) {
      const SolveResult result = solveBoard(layout, options);
      if (result.outcome != SolveOutcome::solved) continue;
      PlayRecord record(layout, metric);
      for (const uint8_t step : result.solution.moveLog()) {
        const MoveStep cell = decodeMove(step);
        ASSERT_TRUE(record.stepPiece(cell.pieceIndex, step >> 6));
      }
      // The same count as the engine's "moves N", and the same goal.
      EXPECT_EQ(record.moveCount(), static_cast<int>(result.stepsPerMove.size()))
          << metricName(metric);
      EXPECT_TRUE(record.board().isGoal());
      // Every move whole as the engine grouped it: undone one by one.
      for (auto steps = result.stepsPerMove.rbegin(); steps != result.stepsPerMove.rend();
           ++steps) {
        const PlayRecord::Move* undone = record.undo();
        ASSERT_NE(undone, nullptr);
        EXPECT_EQ(undone->directions.size(), *steps);
      }
      EXPECT_EQ(placesOf(record.board()), placesOf(layout));
    }
  }
  // The classic's published counts, as a check on the layouts above.
  for (const auto& [metric, count] :
       {std::pair{MoveMetric::step, 116}, std::pair{MoveMetric::line, 90},
        std::pair{MoveMetric::path, 81}}) {
    SolveOptions options;
    options.metric = metric;
    EXPECT_EQ(solveBoard(classicLayout(), options).stepsPerMove.size(), size_t(count));
  }
}

TEST(PlayRecordTest, AHintEndsTheMoveBeforeItAndARedoIsLostToANewMove) {
  // Path: the cells of one piece make one move, but not across a hint.
  PlayRecord record(boardOf(4, 3, {pieceAt(0, 0, 0), pieceAt(1, 3, 0)}), MoveMetric::path);
  ASSERT_TRUE(record.stepPiece(1, 2));  // up
  ASSERT_TRUE(record.stepPiece(1, 1));  // left: the same walk
  EXPECT_EQ(record.moveCount(), 1);
  ASSERT_TRUE(record.playHint({1, {2}, false}));  // up to (2, 2)
  ASSERT_TRUE(record.stepPiece(1, 1));            // after the hint: a new move
  EXPECT_EQ(record.moveCount(), 3);
  EXPECT_TRUE(record.lastMove() != nullptr && !record.lastMove()->hint);
  // A hint that does not fit changes nothing.
  EXPECT_FALSE(record.playHint({1, {1, 1}, false}));
  EXPECT_EQ(record.moveCount(), 3);
  EXPECT_EQ(record.hintCount(), 1);
  ASSERT_NE(record.undo(), nullptr);
  EXPECT_TRUE(record.canRedo());
  ASSERT_TRUE(record.stepPiece(0, 0));
  EXPECT_FALSE(record.canRedo());
  EXPECT_EQ(record.redo(), nullptr);
  // A piece that is not there moves nowhere.
  EXPECT_FALSE(record.stepPiece(2, 0));
  EXPECT_FALSE(record.stepPiece(-1, 0));
}

TEST(PlayRecordTest, AMoveOfSeveralCellsRunsAlongItsRoute) {
  // Line: the cell at (3, 0) goes up twice, one move, then a hint left.
  PlayRecord record(boardOf(4, 3, {pieceAt(0, 0, 0), pieceAt(1, 3, 0)}), MoveMetric::line);
  ASSERT_TRUE(record.stepPiece(1, 2));
  ASSERT_TRUE(record.stepPiece(1, 2));
  const PlayRecord::PieceOnItsWay start = record.lastMoveAt(0), middle = record.lastMoveAt(0.75),
                                  end = record.lastMoveAt(1);
  EXPECT_EQ(start.pieceIndex, 1);
  EXPECT_DOUBLE_EQ(start.y, 0);
  EXPECT_DOUBLE_EQ(middle.y, 1.5);
  EXPECT_DOUBLE_EQ(end.y, 2);
  EXPECT_DOUBLE_EQ(end.x, 3);
  ASSERT_TRUE(record.playHint({1, {1, 1}, false}));  // to (1, 2): over the square
  const PlayRecord::PieceOnItsWay hint = record.lastMoveAt(0.5);
  EXPECT_DOUBLE_EQ(hint.x, 2);
  EXPECT_DOUBLE_EQ(hint.y, 2);
}
