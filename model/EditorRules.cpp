#include "EditorRules.h"

#include "Shape.h"

EditorCursor cursorOfShape(int shapeIndex) {
  EditorCursor cursor;
  cursor.shapeIndex = shapeIndex;
  cursor.piece = Piece(shapeIndex);
  return cursor;
}

EditorCursor startingCursor(const BoardState& board) {
  if (board.pieceCount() == 0) return cursorOfShape(0);
  return cursorOfShape(board.pieces.back().shapeIndex());
}

void cycleShape(EditorCursor& cursor, const BoardState& board, int step) {
  if (board.pieceCount() == 0) return;
  const int shape = ((cursor.shapeIndex + step) % shapeCount + shapeCount) % shapeCount;
  cursor = cursorOfShape(shape);
}

void moveCursor(EditorCursor& cursor, CursorStep step, BoardSize size) {
  const int maxDx = cursor.piece.maxDx();
  const int maxDy = cursor.piece.maxDy();
  switch (step) {
    case CursorStep::right:
      if (cursor.x < size.width - maxDx - 1) ++cursor.x;
      break;
    case CursorStep::left:
      if (cursor.x > 0) --cursor.x;
      break;
    case CursorStep::up:
      if (cursor.y < size.height - maxDy - 1) ++cursor.y;
      break;
    case CursorStep::down:
      if (cursor.y > 0) --cursor.y;
      break;
  }
}

void settleCursor(EditorCursor& cursor) {
  cursor.piece.setX(static_cast<int8_t>(cursor.x));
  cursor.piece.setY(static_cast<int8_t>(cursor.y));
}

Placement placeCursor(EditorCursor& cursor, BoardState& board) {
  if (board.pieceCount() >= maxLoggedPieces) return Placement::full;
  if (!board.canPlace(cursor.piece, -1)) return Placement::occupied;
  board.placePiece(cursor.piece, -1);
  cursor = cursorOfShape(cursor.shapeIndex);
  return Placement::placed;
}

bool removeLastPiece(EditorCursor& cursor, BoardState& board) {
  if (board.pieceCount() == 0) return false;
  board.pieces.pop_back();
  if (board.pieceCount() == 0) cursor = cursorOfShape(0);
  return true;
}

bool canSearch(const BoardState& board) { return board.pieceCount() > 0; }
