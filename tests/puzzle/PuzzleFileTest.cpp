#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>

#include "puzzle/MoveLogText.h"
#include "puzzle/PuzzleFile.h"

namespace {

// The line and message of the error that `text` gives, or line -1 if it parses.
PuzzleError errorOf(const std::string& text) {
  PuzzleError error;
  if (parsePuzzle(text, error)) error.line = -1;
  return error;
}

}  // namespace

TEST(PuzzleFileTest, ReadsSizeAndPiecesWithCommentsAndBlankLines) {
  const std::string text =
      "# a layout\n"
      "\n"
      "size 5 4   # five columns\n"
      "piece 0 0 1\n"
      "\t piece  2 0 3 \r\n"
      "piece 5 2 1\n"  // a plus whose origin cell it leaves free
      "piece 1 2 1";   // in that free cell, on the last line without a newline
  PuzzleError error;
  const std::optional<BoardState> board = parsePuzzle(text, error);
  ASSERT_TRUE(board) << error.line << ": " << error.message;
  EXPECT_EQ(board->size, (BoardSize{5, 4}));
  ASSERT_EQ(board->pieceCount(), 4);
  EXPECT_EQ(board->pieces[1].shapeIndex(), 2);
  EXPECT_EQ(board->pieces[1].x(), 0);
  EXPECT_EQ(board->pieces[1].y(), 3);
  EXPECT_EQ(board->pieces[3].shapeIndex(), 1);
  EXPECT_TRUE(board->moveLog().empty());
}

TEST(PuzzleFileTest, EachErrorNamesItsLine) {
  const struct {
    const char* text;
    int line;
    const char* message;
  } cases[] = {
      {"", 0, "the file is empty; a puzzle starts with a line 'size W H'"},
      {"\xEF\xBB\xBF", 0, "the file is empty; a puzzle starts with a line 'size W H'"},
      {"# only a comment\n\n", 2, "no 'size' line"},
      {"size 6 5\n", 1, "no pieces"},
      {"size 6 5\n\nfoo 1 2\n", 3, "unknown word 'foo'"},
      {"Size 6 5\n", 1, "unknown word 'Size'"},
      {"size 6\n", 1, "expected 'size W H'"},
      {"size 6 5 1\n", 1, "expected 'size W H'"},
      {"size 6 x\n", 1, "bad number 'x'"},
      {"size 6 5-\n", 1, "bad number '5-'"},
      {"size - 5\n", 1, "bad number '-'"},
      {"size 1 5\n", 1, "board width must be 2 to 10"},
      {"size 11 5\n", 1, "board width must be 2 to 10"},
      {"size 6 9\n", 1, "board height must be 2 to 8"},
      {"size 99999999999999999999999 5\n", 1, "board width must be 2 to 10"},
      {"size 6 5\nsize 6 5\n", 2, "a second 'size' line"},
      {"piece 0 0 0\nsize 6 5\n", 1, "'size' must come before the pieces"},
      {"size 6 5\npiece 1 0 0\n", 2, "the first piece must be the square (shape 0)"},
      {"size 6 5\npiece 0 0 0\npiece 19 3 3\n", 3, "shape must be 0 to 18"},
      {"size 6 5\npiece 0 0 0\npiece -1 3 3\n", 3, "shape must be 0 to 18"},
      {"size 6 5\npiece 0 0 0\npiece 1 3\n", 3, "expected 'piece S X Y'"},
      {"size 6 5\npiece 0 0 0 7\n", 2, "expected 'piece S X Y'"},
      // Off the board: the piece's cells and the board's extent.
      {"size 6 5\npiece 0 5 0\n", 2,
       "piece lies off the board: its cells (5,0) (6,0) (5,1) (6,1); "
       "the 6 by 5 board has x 0 to 5, y 0 to 4"},
      {"size 6 5\npiece 0 0 0\npiece 1 -1 0\n", 3,
       "piece lies off the board: its cells (-1,0); the 6 by 5 board has x 0 to 5, y 0 to 4"},
      {"size 6 5\npiece 0 0 0\npiece 1 256 0\n", 3,
       "piece lies off the board: its cells (256,0); the 6 by 5 board has x 0 to 5, y 0 to 4"},
      {"size 4 3\npiece 0 0 0\npiece 4 3 1\n", 3,
       "piece lies off the board: its cells (3,1) (3,2) (3,3); "
       "the 4 by 3 board has x 0 to 3, y 0 to 2"},
      // Numbers beyond the parser's million as the file writes them, the
      // cells counted on from them, carries and borrows included.
      {"size 4 3\npiece 0 0 2147483648\n", 2,
       "piece lies off the board: its cells (0,2147483648) (1,2147483648) (0,2147483649) "
       "(1,2147483649); the 4 by 3 board has x 0 to 3, y 0 to 2"},
      {"size 4 3\npiece 0 0 0\npiece 14 0099999999999999999999 -1000000\n", 3,
       "piece lies off the board: its cells (99999999999999999999,-1000000) "
       "(100000000000000000000,-1000000) (100000000000000000001,-1000000); "
       "the 4 by 3 board has x 0 to 3, y 0 to 2"},
      {"size 4 3\npiece 0 0 0\npiece 4 0 -10000000\n", 3,
       "piece lies off the board: its cells (0,-10000000) (0,-9999999) (0,-9999998); "
       "the 4 by 3 board has x 0 to 3, y 0 to 2"},
      {"size 4 3\npiece 0 1000001 0\n", 2,
       "piece lies off the board: its cells (1000001,0) (1000002,0) (1000001,1) (1000002,1); "
       "the 4 by 3 board has x 0 to 3, y 0 to 2"},
      // Overlaps: the earlier piece, the line it was placed on, the shared cell.
      {"size 6 5\npiece 0 0 0\npiece 1 1 1\n", 3, "piece overlaps piece 0 (line 2) on cell (1,1)"},
      {"size 6 5\n# c\npiece 0 0 0\n\npiece 3 3 0\npiece 14 2 1\n", 6,
       "piece overlaps piece 1 (line 5) on cell (3,1)"},
  };
  for (const auto& c : cases) {
    const std::string text(c.text, std::char_traits<char>::length(c.text));
    const PuzzleError error = errorOf(text);
    EXPECT_EQ(error.line, c.line) << c.text;
    EXPECT_EQ(error.message, c.message) << c.text;
  }
  // A NUL byte inside a line, which the table above cannot hold.
  const PuzzleError nul = errorOf(std::string("size 6 5\npiece 0 0 0\npiece\0 1 3 3\n", 34));
  EXPECT_EQ(nul.line, 3);
  EXPECT_EQ(nul.message, "unknown word 'piece?'");
}

// Editors that save UTF-8 may start a file with a byte-order mark.
TEST(PuzzleFileTest, AByteOrderMarkIsSkipped) {
  PuzzleError error;
  const std::optional<BoardState> board = parsePuzzle("\xEF\xBB\xBFsize 4 3\npiece 0 0 0\n", error);
  ASSERT_TRUE(board) << error.line << ": " << error.message;
  EXPECT_EQ(board->size, (BoardSize{4, 3}));
  // Only at the start.
  EXPECT_EQ(errorOf("size 4 3\n\xEF\xBB\xBFpiece 0 0 0\n").message, "unknown word '???piece'");
}

TEST(PuzzleFileTest, AtMostSixtyFourPieces) {
  // A 10 by 8 board holds 77 single cells beside the square.
  std::string text = "size 10 8\npiece 0 0 0\n";
  int placed = 1;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 10; ++x) {
      if (x < 2 && y < 2) continue;
      text += "piece 1 " + std::to_string(x) + " " + std::to_string(y) + "\n";
      ++placed;
    }
  }
  const PuzzleError error = errorOf(text);
  EXPECT_EQ(error.line, 2 + 64);
  EXPECT_EQ(error.message, "more than 64 pieces");

  // Exactly 64 is fine.
  const size_t cut = text.find("piece 1 7 6\n");  // the 65th piece line
  PuzzleError unused;
  ASSERT_NE(cut, std::string::npos);
  const std::optional<BoardState> board = parsePuzzle(text.substr(0, cut), unused);
  ASSERT_TRUE(board) << unused.message;
  EXPECT_EQ(board->pieceCount(), 64);
}

TEST(PuzzleFileTest, LongLinesAndWordsAreShortenedInMessages) {
  const PuzzleError error = errorOf(std::string(100000, 'x') + "\n");
  EXPECT_EQ(error.line, 1);
  EXPECT_EQ(error.message, "unknown word '" + std::string(20, 'x') + "...'");
}

namespace {

void expectSameBoard(const BoardState& a, const BoardState& b) {
  EXPECT_EQ(a.size, b.size);
  ASSERT_EQ(a.pieceCount(), b.pieceCount());
  for (int i = 0; i < a.pieceCount(); ++i) {
    EXPECT_EQ(a.pieces[i].shapeIndex(), b.pieces[i].shapeIndex()) << "piece " << i;
    EXPECT_EQ(a.pieces[i].x(), b.pieces[i].x()) << "piece " << i;
    EXPECT_EQ(a.pieces[i].y(), b.pieces[i].y()) << "piece " << i;
  }
}

// What the reader makes of what the writer wrote of `board`.
BoardState readBack(const BoardState& board) {
  PuzzleError error;
  const std::optional<BoardState> again = parsePuzzle(formatPuzzle(board), error);
  EXPECT_TRUE(again) << error.line << ": " << error.message << "\n" << formatPuzzle(board);
  return again.value_or(BoardState());
}

}  // namespace

TEST(PuzzleFileTest, WhatTheWriterWritesReadsBackTheSame) {
  int samples = 0;
  for (const char* name : {"already-solved", "classic", "height-two", "random6x5-0", "random6x5-1",
                           "random6x5-10", "random6x5-14", "square-only"}) {
    SCOPED_TRACE(name);
    PuzzleError error;
    const std::optional<BoardState> board =
        readPuzzleFile(std::string(CAVEL_PUZZLE_DIR) + "/" + name + ".txt", error);
    ASSERT_TRUE(board) << error.message;
    expectSameBoard(readBack(*board), *board);
    ++samples;
  }
  EXPECT_EQ(samples, 8);

  // Random boards of every size, from the square alone to 64 pieces.
  std::mt19937 random(99);
  const auto below = [&random](int bound) {
    return std::uniform_int_distribution<int>(0, bound - 1)(random);
  };
  int full = 0;
  for (int round = 0; round < 300; ++round) {
    // One round in four packs a 10 by 8 board with single cells up to 64 pieces.
    const bool dense = round % 4 == 0;
    BoardState board(dense ? BoardSize{10, 8} : BoardSize{2 + below(9), 2 + below(7)});
    Piece square(0);
    square.setX(static_cast<int8_t>(below(board.size.width - 1)));
    square.setY(static_cast<int8_t>(below(board.size.height - 1)));
    board.placePiece(square, -1);
    const int tries = dense ? 2000 : below(30);
    for (int t = 0; t < tries && board.pieceCount() < 64; ++t) {
      Piece piece(dense && below(8) != 0 ? 1 : below(19));
      piece.setX(static_cast<int8_t>(below(board.size.width)));
      piece.setY(static_cast<int8_t>(below(board.size.height)));
      if (board.canPlace(piece, -1)) board.placePiece(piece, -1);
    }
    full += board.pieceCount() == 64;
    expectSameBoard(readBack(board), board);
  }
  EXPECT_GT(full, 5);
}

TEST(PuzzleFileTest, TheWrittenTextIsTheFormatItself) {
  BoardState board(BoardSize{4, 3});
  Piece square(0);
  board.placePiece(square, -1);
  Piece cell(1);
  cell.setX(3);
  cell.setY(2);
  board.placePiece(cell, -1);
  EXPECT_EQ(formatPuzzle(board), "size 4 3\npiece 0 0 0\npiece 1 3 2\n");
}

TEST(PuzzleFileTest, MoveLogsPrintAsUpperCaseHexBytes) {
  EXPECT_EQ(formatMoveLog({0xC8, 0x03, 0x85, 0x00, 0xFF}), "C8 03 85 00 FF");
  EXPECT_EQ(formatMoveLog({0x0A}), "0A");
  EXPECT_EQ(formatMoveLog({}), "");
}

namespace {

// A fresh directory of its own, removed with what it holds at the end.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    char pattern[] = "/tmp/cavel-save-XXXXXX";
    path_ = mkdtemp(pattern) ? pattern : "";
  }
  ~ScratchDirectory() { std::filesystem::remove_all(path_); }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string contentsOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(PuzzleFileTest, SavingTakesTheFirstFreeNumberAndNeverOverwrites) {
  ScratchDirectory directory;
  ASSERT_FALSE(directory.path().empty());
  BoardState board(BoardSize{5, 4});
  Piece square(0);
  square.setX(1);
  board.placePiece(square, -1);
  Piece bar(4);
  bar.setX(4);
  board.placePiece(bar, -1);

  std::string error;
  EXPECT_EQ(saveNewPuzzleFile(board, directory.path(), error), "puzzle-1.txt") << error;
  PuzzleError readError;
  const std::optional<BoardState> saved = readPuzzleFile(directory.file("puzzle-1.txt"), readError);
  ASSERT_TRUE(saved) << readError.message;
  expectSameBoard(*saved, board);

  // Taken names are passed over, a file and a dangling link alike, and left
  // as they were; a gap is filled first.
  { std::ofstream(directory.file("puzzle-3.txt")) << "mine\n"; }
  ASSERT_EQ(symlink("/nonexistent/cavel-target", directory.file("puzzle-4.txt").c_str()), 0);
  board.pieces.pop_back();
  EXPECT_EQ(saveNewPuzzleFile(board, directory.path(), error), "puzzle-2.txt") << error;
  EXPECT_EQ(saveNewPuzzleFile(board, directory.path(), error), "puzzle-5.txt") << error;
  EXPECT_EQ(contentsOf(directory.file("puzzle-3.txt")), "mine\n");
  EXPECT_FALSE(std::filesystem::exists("/nonexistent/cavel-target"));
  EXPECT_EQ(contentsOf(directory.file("puzzle-5.txt")), formatPuzzle(board));
  std::filesystem::remove(directory.file("puzzle-1.txt"));
  EXPECT_EQ(saveNewPuzzleFile(board, directory.path(), error), "puzzle-1.txt") << error;

  // A directory that cannot take the file gives the reason and leaves nothing.
  const std::string missing = directory.file("gone");
  EXPECT_EQ(saveNewPuzzleFile(board, missing, error), std::nullopt);
  EXPECT_EQ(error, "cannot create puzzle-1.txt: No such file or directory");
  EXPECT_EQ(saveNewPuzzleFile(board, directory.file("puzzle-3.txt"), error), std::nullopt);
  EXPECT_EQ(error, "cannot create puzzle-1.txt: Not a directory");
}
