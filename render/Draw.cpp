#include "Draw.h"

#include <GL/gl.h>

#include <cassert>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "PieceRect.h"
#include "TextLayout.h"
#include "model/Palette.h"

char textBuffer[textBufferSize];
int fontTexture = -1;

void drawVertex(const Vector3& v) { glVertex3d(v.x, v.y, v.z); }

void drawQuad(Vector3 corner, Vector3 side1, Vector3 side2, int texture) {
  drawQuadRegion(corner, side1, side2, texture, 0.0f, 0.0f, 1.0f, 1.0f);
}

void drawQuadRegion(Vector3 corner, Vector3 side1, Vector3 side2, int texture, float s0, float t0,
                    float s1, float t1) {
  const Vector3 p1 = corner + side1;
  const Vector3 p2 = p1 + side2;
  const Vector3 p3 = corner + side2;
  if (texture != -1) glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
  // Texture row 0 is the top of the picture, so the bottom edge takes t1.
  glBegin(GL_QUADS);
  glTexCoord2f(s0, t1);
  drawVertex(corner);
  glTexCoord2f(s1, t1);
  drawVertex(p1);
  glTexCoord2f(s1, t0);
  drawVertex(p2);
  glTexCoord2f(s0, t0);
  drawVertex(p3);
  glEnd();
}

void drawText(int texture, Vector3& position, Vector3 width, Vector3 height, const char* format,
              ...) {
  va_list arguments;
  va_start(arguments, format);
  // A text too long for the buffer is cut at its end.
  const int written = std::vsnprintf(textBuffer, sizeof textBuffer, format, arguments);
  va_end(arguments);
  if (written < 0) return;
  layoutGlyphs(textBuffer, std::strlen(textBuffer), position, width,
               [&](const Vector3& corner, const Vector3& advance, const GlyphCell& cell) {
                 drawQuadRegion(corner, advance, height, texture, cell.s0, cell.t0, cell.s1,
                                cell.t1);
               });
}

void drawLine(double x0, double y0, double x1, double y1) {
  glBegin(GL_LINES);
  glVertex3d(x0, y0, 0.0);
  glVertex3d(x1, y1, 0.0);
  glEnd();
}

void setShapeColor(int shapeIndex, float brightness) {
  assert(shapeIndex >= 0 && shapeIndex < shapeCount);
  const PaletteColor& colour = Palette[shapeIndex];
  glColor3f(static_cast<float>(colour.red * brightness),
            static_cast<float>(colour.green * brightness),
            static_cast<float>(colour.blue * brightness));
}

void setColor(float red, float green, float blue) { glColor3f(red, green, blue); }

void drawPieceAt(const Piece& piece, Vector3 origin, float brightness) {
  setShapeColor(piece.shapeIndex(), brightness);
  forEachPieceRect(piece.shape(), pieceInset, [&](const PieceRect& rect) {
    drawQuad(origin + Vector3(rect.left, rect.bottom, 0.0), Vector3(rect.right - rect.left, 0, 0),
             Vector3(0, rect.top - rect.bottom, 0), -1);
  });
}

void drawPiece(const Piece& piece, float brightness) {
  drawPieceAt(piece, Vector3(piece.x(), piece.y(), 0.0), brightness);
}

void drawSquareMark(Vector3 origin) {
  // A disc of a few dozen sides looks round at any size the window shows.
  constexpr int sides = 24;
  const Vector3 centre = origin + Vector3(1, 1, 0);
  glColor3f(0, 0, 0);
  glBegin(GL_TRIANGLE_FAN);
  drawVertex(centre);
  for (int i = 0; i <= sides; ++i) {
    const double angle = 2 * M_PI * i / sides;
    drawVertex(centre + Vector3(std::cos(angle), std::sin(angle), 0) * squareMarkRadius);
  }
  glEnd();
}

void drawExitMark(BoardSize size) {
  // White like the square that has to get out, just right of the board and
  // as tall as the square standing in the exit: rows 1 and 2.
  glColor3f(1, 1, 1);
  drawQuad(Vector3(size.width + exitMarkGap, 1, 0), Vector3(exitMarkWidth, 0, 0), Vector3(0, 2, 0),
           -1);
}

void drawGrid(BoardSize size) {
  glColor3f(0.3f, 0.3f, 0.3f);
  for (int i = 0; i <= size.height; ++i) drawLine(0, i, size.width, i);
  for (int i = 0; i <= size.width; ++i) drawLine(i, size.height, i, 0);
}

void drawBoard(const BoardState& board) { drawBoardMoving(board, -1, Vector3()); }

void drawBoardMoving(const BoardState& board, int movingIndex, Vector3 origin) {
  drawBoardSelected(board, -1, movingIndex, origin);
}

void drawBoardSelected(const BoardState& board, int selectedIndex, int movingIndex,
                       Vector3 origin) {
  const auto originOf = [&](int i) {
    const Piece& piece = board.pieces[i];
    return i == movingIndex ? origin : Vector3(piece.x(), piece.y(), 0);
  };
  for (int i = 0; i < board.pieceCount(); ++i) {
    const float brightness = selectedIndex < 0 || i == selectedIndex ? 1.0f : unselectedBrightness;
    drawPieceAt(board.pieces[i], originOf(i), brightness);
  }
  if (board.pieceCount() > 0) drawSquareMark(originOf(0));
  drawExitMark(board.size);
  drawGrid(board.size);
}
