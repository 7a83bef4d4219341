// The rules of the placement editor, apart from keys and drawing: where the
// cursor piece may go, how its shape cycles, what a placement does, and when
// the layout may be searched.
#pragma once

#include "BoardState.h"
#include "MoveByte.h"
#include "Piece.h"

// The cursor piece. The arrows change `x` and `y` at once; the piece itself
// takes them up only at the end of the frame (settleCursor), so a placement
// made in the same frame as an arrow uses the position shown before it.
struct EditorCursor {
  int shapeIndex = 0;
  int x = 0;
  int y = 0;
  Piece piece{0};
};

// A cursor of `shapeIndex` standing at (0, 0).
EditorCursor cursorOfShape(int shapeIndex);

// The cursor the editor opens with on `board`: at (0, 0), in the shape of the
// last piece placed, as right after that placement (the square on an empty
// board).
EditorCursor startingCursor(const BoardState& board);

// O (+1) and P (-1): the next or previous of the 19 shapes, wrapping around,
// with the cursor back at (0, 0). Inert until the board holds the square.
void cycleShape(EditorCursor& cursor, const BoardState& board, int step);

enum class CursorStep { right, left, up, down };

// One arrow: moves the cursor by a cell unless a cell of its shape would
// leave the board. A shape wider or taller than the board stays at 0.
void moveCursor(EditorCursor& cursor, CursorStep step, BoardSize size);

// Makes the piece stand where the arrows put it.
void settleCursor(EditorCursor& cursor);

enum class Placement {
  placed,    // appended to the board; the cursor is back at (0, 0)
  occupied,  // a cell off the board or on another piece: nothing changed
  full,      // the board already holds maxLoggedPieces pieces
};

// Space: places the cursor piece where it was last shown.
Placement placeCursor(EditorCursor& cursor, BoardState& board);

// Backspace: takes the last piece placed off the board and says whether there
// was one. Taking the square off returns the editor to its first phase, with
// a square cursor at (0, 0); after any other piece the cursor stays as it is.
bool removeLastPiece(EditorCursor& cursor, BoardState& board);

// Return is taken once the square stands: the search needs it.
bool canSearch(const BoardState& board);
