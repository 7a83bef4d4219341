// Reading puzzle files: a board size and the pieces in placement order.
//
//     # comment            blank lines and text after '#' are ignored
//     size W H             first item; 2 <= W <= 10, 2 <= H <= 8
//     piece S X Y          shape index 0 to 18 at origin (X, Y); the first
//                          piece is shape 0, at most 64 pieces
#pragma once

#include <string>
#include <string_view>

#include "model/BoardState.h"

// Files larger than this are refused unread; real puzzles are a few hundred bytes.
constexpr size_t maxPuzzleFileBytes = 1 << 20;

struct PuzzleError {
  int line = 0;  // 1-based; errors about the file as a whole name its last line
  std::string message;
};

// Parses `text`. On success fills `board` with the pieces (empty move log),
// leaves the size in boardWidth and boardHeight with the occupancy grid
// allocated for it, and returns true. Otherwise fills `error` and returns
// false; boardWidth and boardHeight may then have changed. Never fails on
// odd bytes other than by returning false.
bool parsePuzzle(std::string_view text, BoardState& board, PuzzleError& error);

// Reads the file at `path` ("-" for standard input) into `text`; false with
// `error` filled when it cannot be read or is larger than maxPuzzleFileBytes.
bool readPuzzleText(const std::string& path, std::string& text, PuzzleError& error);
