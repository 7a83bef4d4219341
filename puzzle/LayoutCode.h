// Layout codes: a whole layout (the board size, then every piece in order
// with its shape and place) as one short checked word, "cavel:" and a body
// of the letters A-Z a-z 0-9 - _, safe in a URL, a file name and a shell
// word. How the body is built, and why no code is longer than
// maxLayoutCodeBody, is told in docs/layout-code.md.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/BoardState.h"

// What every code begins with; a command-line argument that begins with it
// is a code, not a file name.
constexpr std::string_view layoutCodePrefix = "cavel:";

// The most characters a body has: 64 pieces on a 10 by 8 board, nearly all
// single cells (docs/layout-code.md works it out).
constexpr int maxLayoutCodeBody = 98;

enum class LayoutCodeError {
  // Reading a code.
  wrongPrefix,    // it does not begin with "cavel:"
  emptyBody,      // nothing follows "cavel:"
  badCharacter,   // a character other than A-Z a-z 0-9 - _
  tooLong,        // longer than any layout's code
  failedCheck,    // a character changed, swapped, lost or added
  noRoom,         // it names a piece where the board has no room left
  tooManyPieces,  // it names more than 64 pieces (also a board that holds more)
  // Writing the code of a board that is no layout.
  badBoardSize,   // not 2 to 10 columns by 2 to 8 rows
  noPieces,       // an empty board
  noSquareFirst,  // piece 0 is not the square (shape 0)
  offBoard,       // a cell of a piece lies off the board
  overlap,        // two pieces share a cell
};

// What `error` means, as one line.
const char* layoutCodeMessage(LayoutCodeError error);

// Whether `text` begins with "cavel:".
bool isLayoutCode(std::string_view text);

// The code of `board`'s size and pieces (its moves play no part); nothing,
// with `error` naming the fault, when the board is no layout the editor or
// a puzzle file could make.
std::optional<std::string> encodeLayout(const BoardState& board, LayoutCodeError& error);

// The code of a board known to be a layout (read from a puzzle file, made in
// the editor).
std::string layoutCode(const BoardState& board);

// The layout that `code` names, with an empty move log; or nothing, with
// `error` naming the first fault found. Any text is taken without a fault;
// a code with one character changed or two neighbours swapped always fails
// its check.
std::optional<BoardState> decodeLayout(std::string_view code, LayoutCodeError& error);

// "cavel:BODY: message", for an error in `code` (characters other than
// printable ASCII shown as '?'; a long text cut short). A bad character is
// named with its place in the body.
std::string formatLayoutCodeError(std::string_view code, LayoutCodeError error);
