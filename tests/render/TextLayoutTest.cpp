#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "render/TextLayout.h"

namespace {

struct Glyph {
  Vector3 corner;
  Vector3 advance;
  GlyphCell cell;
};

std::vector<Glyph> layOut(const char* text, Vector3& position, const Vector3& width) {
  std::vector<Glyph> glyphs;
  layoutGlyphs(text, std::strlen(text), position, width,
               [&](const Vector3& corner, const Vector3& advance, const GlyphCell& cell) {
                 glyphs.push_back({corner, advance, cell});
               });
  return glyphs;
}

}  // namespace

TEST(TextLayoutTest, GlyphCellsFollowTheAtlasGridWithRightAndBottomPulledIn) {
  const GlyphCell a = glyphCell('A');  // column 1, row 2
  EXPECT_EQ(a.s0, 0.0625f);
  EXPECT_EQ(a.t0, 0.14285715f);
  EXPECT_EQ(a.s1, 0.12109375f);
  EXPECT_EQ(a.t1, 0.21037948f);

  const GlyphCell eAcute = glyphCell(0xe9);  // column 9, row 12
  EXPECT_EQ(eAcute.s0, 9 * 0.0625f);
  EXPECT_EQ(eAcute.t0, 12 * 0.071428575f);

  const GlyphCell last = glyphCell(255);  // column 15, row 13
  EXPECT_EQ(last.s0, 0.9375f);
  EXPECT_EQ(last.s1, 0.99609375f);
  EXPECT_EQ(last.t0, 13 * 0.071428575f);
  EXPECT_LT(last.t1, 1.0f);

  const GlyphCell space = glyphCell(' ');  // the top-left cell
  EXPECT_EQ(space.s0, 0.0f);
  EXPECT_EQ(space.t0, 0.0f);

  // Codes below 32 land on negative rows, which the repeat wrap maps onto
  // the last two rows of the atlas.
  EXPECT_EQ(glyphCell(0).t0, -2 * 0.071428575f);
  EXPECT_EQ(glyphCell(31).t0, -0.071428575f);
  EXPECT_EQ(glyphCell(31).s0, 0.9375f);
}

TEST(TextLayoutTest, GlyphsShareTheWidthAndThePositionMovesByAllOfIt) {
  // A 23-character line over 15 units: each glyph 15/23 wide.
  const char* text = "Utilisez les fleches...";
  Vector3 position(-5, 8, 0);
  const std::vector<Glyph> glyphs = layOut(text, position, Vector3(15, 0, 0));
  ASSERT_EQ(glyphs.size(), 23u);
  for (size_t i = 0; i < glyphs.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_DOUBLE_EQ(glyphs[i].advance.x, 15.0 / 23.0);
    EXPECT_EQ(glyphs[i].advance.y, 0.0);
    EXPECT_NEAR(glyphs[i].corner.x, -5 + i * 15.0 / 23.0, 1e-12);
    EXPECT_EQ(glyphs[i].corner.y, 8.0);
    EXPECT_EQ(glyphs[i].cell.s0, glyphCell(static_cast<unsigned char>(text[i])).s0);
    EXPECT_EQ(glyphs[i].cell.t0, glyphCell(static_cast<unsigned char>(text[i])).t0);
  }
  EXPECT_NEAR(position.x, 10.0, 1e-12);
  EXPECT_EQ(position.y, 8.0);

  // A slanted line steps along its width vector; Latin-1 bytes above 127 are
  // taken as unsigned, not as negative codes.
  Vector3 slanted(0, 0, 0);
  const std::vector<Glyph> accented = layOut("d\xe9j\xe0", slanted, Vector3(4, 2, 0));
  ASSERT_EQ(accented.size(), 4u);
  EXPECT_EQ(accented[1].cell.s0, glyphCell(0xe9).s0);
  EXPECT_EQ(accented[1].cell.t0, glyphCell(0xe9).t0);
  EXPECT_GT(accented[3].cell.t0, 0.8f);
  EXPECT_EQ(accented[2].corner.x, 2.0);
  EXPECT_EQ(accented[2].corner.y, 1.0);
  EXPECT_EQ(slanted.x, 4.0);
  EXPECT_EQ(slanted.y, 2.0);
}

TEST(TextLayoutTest, AnEmptyTextPlacesNothingAndLeavesThePosition) {
  Vector3 position(1, 2, 3);
  EXPECT_TRUE(layOut("", position, Vector3(15, 0, 0)).empty());
  EXPECT_EQ(position.x, 1.0);
  EXPECT_EQ(position.y, 2.0);
  EXPECT_EQ(position.z, 3.0);
}

TEST(TextLayoutTest, ALineTooWideForTheWindowIsNarrowedToEndAtTheLimit) {
  // Narrowed along its own direction: a slanted line stays as slanted.
  const Vector3 slanted = fitLineWidth(Vector3(0, 0, 0), Vector3(20, 10, 0), 11.2);
  EXPECT_DOUBLE_EQ(slanted.x, 11.2);
  EXPECT_DOUBLE_EQ(slanted.y, 5.6);

  // Lines that fit keep their extent to the last bit, one that ends on the
  // limit through rounding (0.8 * 19 from -4) included.
  const struct {
    double start, width;
  } fitting[] = {{-5, 15}, {-4, 0.8 * 19}, {-5, 0.6 * 27}, {-4, 0.8 * 7}, {-5, 0}};
  for (const auto& line : fitting) {
    SCOPED_TRACE(line.width);
    EXPECT_EQ(fitLineWidth(Vector3(line.start, 0, 0), Vector3(line.width, 0, 0)).x, line.width);
  }
}
