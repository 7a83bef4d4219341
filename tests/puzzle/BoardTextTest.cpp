#include <gtest/gtest.h>

#include <string>

#include "puzzle/BoardText.h"
#include "puzzle/MoveLogText.h"
#include "tests/model/TestBoards.h"

TEST(BoardTextTest, GridsDrawTheTopRowFirst) {
  // The classic layout; the square is piece 0, 'A'.
  const BoardState classic = boardOf(
      5, 4,
      {pieceAt(0, 0, 1), pieceAt(2, 0, 3), pieceAt(2, 0, 0), pieceAt(2, 2, 3), pieceAt(2, 2, 0),
       pieceAt(3, 2, 1), pieceAt(1, 3, 2), pieceAt(1, 3, 1), pieceAt(1, 4, 3), pieceAt(1, 4, 0)});
  EXPECT_EQ(formatBoardGrid(classic),
            "BBDDI\n"
            "AAFG.\n"
            "AAFH.\n"
            "CCEEJ\n");
  // A plus leaves its origin cell empty, and another piece may stand there.
  EXPECT_EQ(formatBoardGrid(boardOf(3, 3, {pieceAt(5, 0, 0), pieceAt(1, 0, 0)})),
            ".A.\n"
            "AAA\n"
            "BA.\n");
}

TEST(BoardTextTest, SixtyFourPiecesHaveSixtyFourLetters) {
  BoardState board = boardOf(10, 8, {pieceAt(0, 0, 0)});
  for (int cell = 2; board.pieceCount() < 64; ++cell) {
    if (cell == 10 || cell == 11) continue;  // the square's upper row
    board.pieces.push_back(pieceAt(1, cell % 10, cell / 10));
  }
  const std::string grid = formatBoardGrid(board);
  ASSERT_EQ(grid.size(), 8u * 11u);
  // Bottom rows: the square, then pieces 1 to 16; row 6: pieces 57 to 63.
  EXPECT_EQ(grid.substr(7 * 11), "AABCDEFGHI\n");
  EXPECT_EQ(grid.substr(6 * 11, 11), "AAJKLMNOPQ\n");
  EXPECT_EQ(grid.substr(11, 11), "56789@$...\n");
  EXPECT_EQ(grid.substr(0, 11), "..........\n");
  EXPECT_EQ(std::string(pieceLetters).size(), 64u);
}

TEST(BoardTextTest, CountedMovesInWords) {
  const std::vector<uint8_t> log = {0x03, 0x03, 0x83, 0xFF, 0x40};
  EXPECT_EQ(formatCountedMove(log, 0, 3), "piece 3 right right up");
  EXPECT_EQ(formatCountedMove(log, 3, 1), "piece 63 down");
  EXPECT_EQ(formatCountedMoves(log, {3, 1, 1}),
            "piece 3 right right up\n"
            "piece 63 down\n"
            "piece 0 left\n");
  EXPECT_EQ(formatCountedMoves({}, {}), "");
}

TEST(BoardTextTest, SolutionBoardsAfterEachCountedMove) {
  const BoardState start = boardOf(4, 3, {pieceAt(0, 0, 0)});
  EXPECT_EQ(formatSolutionBoards(start, {0x00, 0x00, 0x80}, {2, 1}),
            "move 0: start\n"
            "....\n"
            "AA..\n"
            "AA..\n"
            "\n"
            "move 1: piece 0 right right\n"
            "....\n"
            "..AA\n"
            "..AA\n"
            "\n"
            "move 2: piece 0 up\n"
            "..AA\n"
            "..AA\n"
            "....\n"
            "\n");
  // Already solved: the start alone.
  EXPECT_EQ(formatSolutionBoards(start, {}, {}), "move 0: start\n....\nAA..\nAA..\n\n");
}
