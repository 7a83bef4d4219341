// Every drawing operation: quads, lines, text, pieces and boards.
#pragma once

#include "Vector3.h"
#include "model/BoardState.h"
#include "model/Piece.h"

constexpr int textBufferSize = 10000;

// Where drawText formats its text; shared, so drawText is not reentrant.
extern char textBuffer[textBufferSize];

// The program-wide glyph atlas texture, loaded at start-up.
extern int fontTexture;

void drawVertex(const Vector3& v);
// A quad spanned by two sides from a corner; texture -1 binds nothing.
void drawQuad(Vector3 corner, Vector3 side1, Vector3 side2, int texture);
void drawQuadRegion(Vector3 corner, Vector3 side1, Vector3 side2, int texture, float s0, float t0,
                    float s1, float t1);
// One line of glyphs stretched over `width`; moves `position` by `width`.
void drawText(int texture, Vector3& position, Vector3 width, Vector3 height, const char* format,
              ...) __attribute__((format(printf, 5, 6)));
void drawLine(double x0, double y0, double x1, double y1);

// The shape's palette colour times `brightness` becomes the current colour.
void setShapeColor(int shapeIndex, float brightness);
// Red, green and blue from 0 to 1 become the current colour: of quads drawn
// without a texture, and the tint of text.
void setColor(float red, float green, float blue);
// The piece's cells relative to `origin`, pulled in a little from the
// piece's outline so that neighbouring pieces stay apart (see PieceRect).
void drawPieceAt(const Piece& piece, Vector3 origin, float brightness);
// The piece at its own position.
void drawPiece(const Piece& piece, float brightness);
// Where the exit mark stands right of the board, in cells: a bar this far
// from the board's edge and this wide.
constexpr double exitMarkGap = 0.12;
constexpr double exitMarkWidth = 0.25;

// The radius of the dark dot in the middle of piece 0, in cells: what tells
// the square that has to get out from other 2 by 2 pieces of its colour.
constexpr double squareMarkRadius = 0.25;

// The dot of piece 0 whose origin is at `origin`.
void drawSquareMark(Vector3 origin);

// A white bar just outside the board's right edge along rows 1 and 2, where
// the square gets out.
void drawExitMark(BoardSize size);
// The grey grid of a board of `size`, its outline included; the colour stays
// grey afterwards.
void drawGrid(BoardSize size);
// All pieces at full brightness, piece 0's dot, the exit mark, then the grid.
void drawBoard(const BoardState& board);
// drawBoard, but the piece at `movingIndex` has its origin at `origin`
// instead of its own place: a piece on its way between cells.
void drawBoardMoving(const BoardState& board, int movingIndex, Vector3 origin);
// How much of their colour the pieces keep beside a selected one.
constexpr float unselectedBrightness = 0.55f;
// drawBoardMoving with the piece at `selectedIndex` standing out: it keeps
// its full colour, the others are dimmed (unselectedBrightness).
void drawBoardSelected(const BoardState& board, int selectedIndex, int movingIndex, Vector3 origin);
