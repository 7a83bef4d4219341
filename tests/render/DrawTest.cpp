#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "model/Palette.h"
#include "render/Camera.h"
#include "render/Draw.h"
#include "render/MessageOverlay.h"
#include "render/Texture.h"
#include "render/Video.h"
#include "tests/model/TestBoards.h"

namespace {

struct Colour {
  int r, g, b;
};

// The window pixel where the fixed camera shows world point (x, y, 0),
// counted from the top-left.
int columnOf(double x) { return static_cast<int>(std::floor((x + 5.2843) * 24.142)); }
int rowOf(double y) { return static_cast<int>(std::floor((9.2132 - y) * 24.142)); }

class DrawTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_FALSE(initVideo(400, 300, 32));
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_DEPTH_TEST);
    fontTexture = static_cast<int>(loadTexture(CAVEL_FONT_FILE, 32).value());
  }

  void SetUp() override {
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    Camera camera;
    camera.moveForward(-15.0);
    camera.moveRight(3.0);
    camera.moveUp(3.0);
    camera.applyView();
  }

  // The frame drawn so far, read from the back buffer.
  void readFrame() {
    glFinish();
    frame_.assign(400 * 300 * 3, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 400, 300, GL_RGB, GL_UNSIGNED_BYTE, frame_.data());
  }

  Colour pixel(int column, int rowFromTop) const {
    const size_t i = (static_cast<size_t>(299 - rowFromTop) * 400 + column) * 3;
    return {frame_[i], frame_[i + 1], frame_[i + 2]};
  }

  Colour cellCentre(int cx, int cy) const { return pixel(columnOf(cx + 0.5), rowOf(cy + 0.5)); }

  // Pixels brighter than black in the window rectangle, top-left inclusive.
  int litPixels(int left, int top, int right, int bottom) const {
    int lit = 0;
    for (int row = top; row < bottom; ++row) {
      for (int column = left; column < right; ++column) {
        const Colour c = pixel(column, row);
        if (c.r + c.g + c.b > 60) ++lit;
      }
    }
    return lit;
  }

  std::vector<unsigned char> frame_;
};

void expectColour(const Colour& actual, double r, double g, double b) {
  EXPECT_NEAR(actual.r, r * 255, 2);
  EXPECT_NEAR(actual.g, g * 255, 2);
  EXPECT_NEAR(actual.b, b * 255, 2);
}

void expectPalette(const Colour& actual, int shapeIndex, double brightness = 1.0) {
  const PaletteColor& p = Palette[shapeIndex];
  expectColour(actual, p.red * brightness, p.green * brightness, p.blue * brightness);
}

void expectBlack(const Colour& actual) {
  EXPECT_EQ(actual.r + actual.g + actual.b, 0) << actual.r << " " << actual.g << " " << actual.b;
}

}  // namespace

TEST_F(DrawTest, TheCameraLooksDownFromThreeThreeFifteen) {
  GLdouble view[16];
  glGetDoublev(GL_MODELVIEW_MATRIX, view);
  // Axes unchanged, the world moved by -(3, 3, 15).
  const double expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -3, -3, -15, 1};
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(view[i], expected[i], 1e-12) << i;
}

TEST_F(DrawTest, PiecesFillTheirCellsInTheirPaletteColours) {
  BoardState board;
  board.pieces = {pieceAt(0, 0, 0),    // square: (0,0) (1,0) (0,1) (1,1)
                  pieceAt(5, 2, 0),    // plus: (3,0) (2,1) (3,1) (4,1) (3,2)
                  pieceAt(3, 5, 2),    // two along y: (5,2) (5,3)
                  pieceAt(12, 0, 3)};  // skew: (0,3) (1,3) (1,4) (2,4)
  for (const Piece& piece : board.pieces) drawPiece(piece, 1.0f);
  readFrame();

  const int covered[][3] = {{0, 0, 0}, {1, 0, 0},  {0, 1, 0},  {1, 1, 0},  {3, 0, 5},
                            {2, 1, 5}, {3, 1, 5},  {4, 1, 5},  {3, 2, 5},  {5, 2, 3},
                            {5, 3, 3}, {0, 3, 12}, {1, 3, 12}, {1, 4, 12}, {2, 4, 12}};
  for (const auto& cell : covered) {
    SCOPED_TRACE(std::to_string(cell[0]) + "," + std::to_string(cell[1]));
    expectPalette(cellCentre(cell[0], cell[1]), cell[2]);
  }
  const int empty[][2] = {{2, 0}, {4, 0}, {5, 0}, {2, 2}, {4, 2}, {0, 2}, {0, 4}, {5, 4}, {6, 1}};
  for (const auto& cell : empty) {
    SCOPED_TRACE(std::to_string(cell[0]) + "," + std::to_string(cell[1]));
    expectBlack(cellCentre(cell[0], cell[1]));
  }
}

TEST_F(DrawTest, ADimmedPieceIsHalfAsBrightAndDrawnWhereAsked) {
  drawPieceAt(Piece(1), Vector3(4, 3, 0), 0.5f);   // single cell, red
  drawPieceAt(Piece(14), Vector3(0, 0, 0), 0.5f);  // three along x, grey-blue
  readFrame();
  expectPalette(cellCentre(4, 3), 1, 0.5);
  for (int x = 0; x < 3; ++x) expectPalette(cellCentre(x, 0), 14, 0.5);
  expectBlack(cellCentre(3, 0));
}

TEST_F(DrawTest, TheGridIsGreyOverThePiecesAndFramesTheBoard) {
  const BoardState board = boardOf(6, 5, {pieceAt(0, 0, 0)});
  drawBoard(board);
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_FLOAT_EQ(colour[0], 0.3f);  // left grey afterwards
  readFrame();

  // A grid line lies within a pixel of where the mapping puts it.
  const auto greyNear = [&](int column, int row, bool horizontal) {
    for (int d = -2; d <= 2; ++d) {
      const Colour c = horizontal ? pixel(column, row + d) : pixel(column + d, row);
      if (std::abs(c.r - 77) <= 2 && c.r == c.g && c.g == c.b) return true;
    }
    return false;
  };
  for (int i = 0; i <= board.size.height; ++i) {
    EXPECT_TRUE(greyNear(columnOf(0.5), rowOf(i), true)) << "horizontal line " << i;
    EXPECT_TRUE(greyNear(columnOf(5.5), rowOf(i), true)) << "horizontal line " << i;
  }
  for (int i = 0; i <= board.size.width; ++i) {
    EXPECT_TRUE(greyNear(columnOf(i), rowOf(0.5), false)) << "vertical line " << i;
    EXPECT_TRUE(greyNear(columnOf(i), rowOf(4.5), false)) << "vertical line " << i;
  }
  // Nothing beyond the board's outline; the piece still shows inside its cells.
  expectBlack(pixel(columnOf(7.5), rowOf(2.5)));
  expectBlack(pixel(columnOf(2.5), rowOf(6.5)));
  expectPalette(cellCentre(1, 1), 0);
}

TEST_F(DrawTest, PiecesOfOneColourStandApartAndTheExitIsMarked) {
  // Two dominoes end to end on a 5 by 4 board, as in the classic.
  drawBoard(boardOf(5, 4, {pieceAt(0, 0, 1), pieceAt(2, 0, 0), pieceAt(2, 2, 0)}));
  readFrame();
  // Dark on both sides of the grid line between the two pieces; green across
  // the line between the two cells of one of them.
  expectBlack(pixel(columnOf(1.95), rowOf(0.5)));
  expectBlack(pixel(columnOf(2.05), rowOf(0.5)));
  expectPalette(pixel(columnOf(0.95), rowOf(0.5)), 2);
  expectPalette(pixel(columnOf(1.05), rowOf(0.5)), 2);
  // The square and the domino below it are apart too.
  expectBlack(pixel(columnOf(0.5), rowOf(1.03)));

  // The exit mark: white right of the board along rows 1 and 2 only.
  const int mark = columnOf(5 + exitMarkGap + exitMarkWidth / 2);
  for (const double y : {1.1, 2.0, 2.9}) expectColour(pixel(mark, rowOf(y)), 1, 1, 1);
  expectBlack(pixel(mark, rowOf(0.5)));
  expectBlack(pixel(mark, rowOf(3.5)));
}

TEST_F(DrawTest, PieceZeroAloneCarriesADotWhereverItIsDrawn) {
  // Two more squares of the same white; piece 0 on its way to (2, 2).
  const BoardState board = boardOf(8, 5, {pieceAt(0, 0, 0), pieceAt(0, 4, 0), pieceAt(0, 6, 3)});
  drawBoardMoving(board, 0, Vector3(1.5, 2, 0));
  readFrame();
  // Dark around the middle of piece 0 where it is drawn, beside the grid
  // lines that cross there; white there on the other squares.
  const double off = squareMarkRadius / 2;
  for (const double dx : {-off, off}) {
    for (const double dy : {-off, off}) {
      expectBlack(pixel(columnOf(2.5 + dx), rowOf(3 + dy)));
      expectColour(pixel(columnOf(5 + dx), rowOf(1 + dy)), 1, 1, 1);
      expectColour(pixel(columnOf(7 + dx), rowOf(4 + dy)), 1, 1, 1);
    }
  }
  // A small dot: the square is white half a cell from its middle, and
  // nothing is left where piece 0 stands when it is not on its way.
  expectColour(pixel(columnOf(2.5 + 0.4), rowOf(3 + 0.4)), 1, 1, 1);
  expectBlack(pixel(columnOf(1 + off), rowOf(1 + off)));
}

TEST_F(DrawTest, TextDrawsGlyphsInsideItsBoxAndSpacesDrawNothing) {
  glEnable(GL_TEXTURE_2D);
  glColor3f(1, 1, 1);
  Vector3 position(-5, 8, 0);
  drawText(fontTexture, position, Vector3(15, 0, 0), Vector3(0, 1, 0), "%s %d",
           "D\xe9ja pr\xe9sente, voil\xe0, gar\xe7on", 42);
  EXPECT_NEAR(position.x, 10.0, 1e-9);
  Vector3 blanks(-5, 6, 0);
  drawText(fontTexture, blanks, Vector3(15, 0, 0), Vector3(0, 1, 0), "          ");
  glDisable(GL_TEXTURE_2D);
  readFrame();

  const int left = columnOf(-5), right = columnOf(10);
  const int top = rowOf(9), bottom = rowOf(8);
  const int lit = litPixels(left, top, right + 1, bottom + 1);
  const int area = (right - left) * (bottom - top);
  EXPECT_GT(lit, area / 10) << "too few glyph pixels";
  EXPECT_LT(lit, area * 2 / 3) << "glyph cells drawn solid";
  // Nothing outside the line's box, and the line of spaces stays black.
  EXPECT_EQ(litPixels(0, bottom + 3, 400, 300), 0);
  EXPECT_EQ(litPixels(0, 0, left - 2, bottom), 0);
}

TEST_F(DrawTest, TextIsCutToTheBufferAndAnEmptyTextDrawsNothing) {
  glEnable(GL_TEXTURE_2D);
  glColor3f(1, 1, 1);
  const std::string longText(3 * textBufferSize, 'W');
  Vector3 position(0, 0, 0);
  drawText(fontTexture, position, Vector3(9999, 0, 0), Vector3(0, 1, 0), "%s", longText.c_str());
  EXPECT_EQ(std::strlen(textBuffer), static_cast<size_t>(textBufferSize - 1));
  EXPECT_NEAR(position.x, 9999.0, 1e-6);  // 9999 glyphs of one unit each

  glClear(GL_COLOR_BUFFER_BIT);
  Vector3 unchanged(-5, 8, 0);
  drawText(fontTexture, unchanged, Vector3(15, 0, 0), Vector3(0, 1, 0), "%s", "");
  glDisable(GL_TEXTURE_2D);
  EXPECT_EQ(unchanged.x, -5.0);
  readFrame();
  EXPECT_EQ(litPixels(0, 0, 400, 300), 0);
}

TEST_F(DrawTest, TheOverlayDrawsLiveMessagesLiterallyInWhite) {
  MessageOverlay overlay(CAVEL_FONT_FILE);
  overlay.addMessage(Vector3(-5, 6, 0), 60000, "%d%% %s", 100, "%s%n%s");
  overlay.addMessage(Vector3(-5, 0, 0), 60000, "%s", std::string(1500, 'x').c_str());
  ASSERT_EQ(overlay.messages().size(), 2u);
  EXPECT_EQ(overlay.messages()[0].text, "100% %s%n%s");  // formatted once
  EXPECT_EQ(overlay.messages()[1].text.size(), 999u);    // cut, not overrun
  EXPECT_DOUBLE_EQ(overlay.messages()[0].width.x, 0.6 * 11);

  glEnable(GL_TEXTURE_2D);
  glColor3f(1, 0, 0);
  overlay.drawMessages();
  glDisable(GL_TEXTURE_2D);
  EXPECT_EQ(overlay.messages().size(), 2u);
  EXPECT_STREQ(textBuffer, overlay.messages()[1].text.c_str());
  readFrame();
  // White glyphs in the first line's box, 0.6 units high from y = 6.
  int white = 0;
  for (int row = rowOf(6.6); row <= rowOf(6.0); ++row) {
    for (int column = columnOf(-5); column < columnOf(-5 + 6.6); ++column) {
      const Colour c = pixel(column, row);
      if (c.r > 200 && c.g > 200 && c.b > 200) ++white;
    }
  }
  EXPECT_GT(white, 20);
}

TEST_F(DrawTest, TheSelectedPieceKeepsItsColourAndTheOthersAreDimmed) {
  const BoardState board = boardOf(5, 4, {pieceAt(0, 0, 1), pieceAt(1, 3, 0), pieceAt(4, 4, 0)});
  drawBoardSelected(board, 1, 2, Vector3(3, 1, 0));  // the bar drawn on its way, at x = 3
  readFrame();
  expectPalette(cellCentre(0, 1), 0, unselectedBrightness);
  expectPalette(cellCentre(3, 0), 1);
  expectPalette(cellCentre(3, 2), 4, unselectedBrightness);
  expectBlack(cellCentre(4, 2));
}

TEST_F(DrawTest, APixelShowsTheBoardPointTheCameraPutsThere) {
  Camera camera;
  camera.moveForward(-15.0);
  camera.moveRight(3.0);
  camera.moveUp(3.0);
  for (const auto& [x, y] : {std::pair{0.5, 0.5}, std::pair{4.5, 3.5}, std::pair{-4.0, 8.0}}) {
    const Vector3 point = camera.pointOnBoardPlane(columnOf(x), rowOf(y));
    // Within a pixel of it, whatever the modelview matrix stood at.
    EXPECT_NEAR(point.x, x, 1 / 24.0);
    EXPECT_NEAR(point.y, y, 1 / 24.0);
    EXPECT_NEAR(point.z, 0.0, 1e-9);
  }
  GLdouble view[16];
  glGetDoublev(GL_MODELVIEW_MATRIX, view);
  EXPECT_NEAR(view[12], -3, 1e-12);  // the matrix applied in SetUp, untouched
}
