// Puzzle files: a board size and the pieces in placement order, read and
// written by the same module for the window, the command-line solver and the
// fuzzer. The format is described in the README.
//
//     # comment            blank lines and text after '#' are ignored
//     size W H             first item; 2 <= W <= 10, 2 <= H <= 8
//     piece S X Y          shape index 0 to 18 at origin (X, Y); the first
//                          piece is shape 0, at most 64 pieces
//
// and, anywhere, the optional items about the puzzle of PuzzleInfo.h.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "PuzzleInfo.h"
#include "model/BoardState.h"

// Files larger than this are refused unread; real puzzles are a few hundred bytes.
constexpr size_t maxPuzzleFileBytes = 1 << 20;

struct PuzzleError {
  int line = 0;  // 1-based; errors about the file as a whole name its last line
  std::string message;
};

// The board that `text` describes, with its size, its pieces and an empty
// move log; or nothing, with `error` filled. Any bytes are taken without a
// fault; a UTF-8 byte-order mark at the start is skipped. The messages say
// how to mend the file: a piece off the board gets its cells and the board's
// extent, one that overlaps gets the earlier piece and its line.
std::optional<BoardState> parsePuzzle(std::string_view text, PuzzleError& error);

// parsePuzzle, with the file's items about the puzzle in `info`, which is
// left as it was when the file cannot be read.
std::optional<BoardState> parsePuzzle(std::string_view text, PuzzleInfo& info, PuzzleError& error);

// The text of the file at `path` ("-" for standard input); nothing, with
// `error` filled (line 0), when it cannot be read or is larger than
// maxPuzzleFileBytes.
std::optional<std::string> readPuzzleText(const std::string& path, PuzzleError& error);

// readPuzzleText, then parsePuzzle.
std::optional<BoardState> readPuzzleFile(const std::string& path, PuzzleError& error);
std::optional<BoardState> readPuzzleFile(const std::string& path, PuzzleInfo& info,
                                         PuzzleError& error);

// The layout a command-line argument names: the layout code itself when it
// begins with "cavel:" (see LayoutCode.h), else readPuzzleFile. A bad code
// gets line 0 and the whole "cavel:BODY: message" as its message.
std::optional<BoardState> readPuzzleArgument(const std::string& argument, PuzzleError& error);

// How messages name the file at `path`: "<stdin>" for "-".
std::string puzzleFileName(const std::string& path);

// "FILE:LINE: message", for an error in the file at `path`; for a layout
// code, the message readPuzzleArgument made.
std::string formatPuzzleError(const std::string& path, const PuzzleError& error);

// The puzzle file of `board`: its size line, then one line per piece in
// index order, and nothing about the puzzle (PuzzleInfo). parsePuzzle gives
// back the same size and pieces.
std::string formatPuzzle(const BoardState& board);

// Writes formatPuzzle(board) to a new file "puzzle-N.txt" in `directory`, N
// the first number from 1 whose file does not exist; an existing file (or
// link) of that name is never written through. Returns the name written,
// without the directory; or nothing, with the reason in `error` and no file
// left behind.
std::optional<std::string> saveNewPuzzleFile(const BoardState& board, const std::string& directory,
                                             std::string& error);

// Writes `text` to a new file at `path`, which must not exist (an existing
// file or link there is never written through). False, with the reason in
// `error` and no file left behind, when it cannot.
bool writeNewFile(const std::string& path, const std::string& text, std::string& error);
