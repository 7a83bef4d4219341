// Where the glyphs of a text line go and which part of the glyph atlas each
// shows; pure arithmetic, so it can be checked without a GL context.
#pragma once

#include <cstddef>

#include "Vector3.h"

// The atlas rectangle of one glyph, in texture coordinates; t grows downward.
struct GlyphCell {
  float s0;
  float t0;
  float s1;
  float t1;
};

// The cell of Latin-1 code `code` in the 16 by 14 atlas of codes 32 to 255.
// Its right and bottom edges are pulled in by 1/256 so that linear filtering
// does not pick up the neighbouring cell. Codes below 32 fall on rows -2 and
// -1, which the texture's repeat wrap maps onto the last two rows.
inline GlyphCell glyphCell(unsigned char code) {
  const int column = code % 16;
  const int row = code / 16 - 2;
  const float s0 = column * 0.0625f;
  const float t0 = row * 0.071428575f;
  return {s0, t0, s0 + 0.0625f - 0.00390625f, t0 + 0.071428575f - 0.00390625f};
}

// How far right a line of text may reach in the board plane: the window
// shows up to x = 11.2843 (the camera stands 15 units above x = 3 and sees
// 45 degrees tall at 4:3), and a line stops two pixels short of that edge.
constexpr double textRightLimit = 11.2;

// The extent of a line starting at `start`, narrowed so that the line ends
// by x = `rightLimit`: a line that reaches further is drawn with narrower
// glyphs, its text unchanged. A line that already ends there, or that does
// not run to the right at all, keeps `width`. `start` lies left of the limit.
inline Vector3 fitLineWidth(const Vector3& start, const Vector3& width,
                            double rightLimit = textRightLimit) {
  // Slack for extents such as 0.8 * 19 that end on the limit but round past.
  constexpr double slack = 1e-9;
  if (width.x <= 0 || start.x + width.x <= rightLimit + slack) return width;
  return width * ((rightLimit - start.x) / width.x);
}

// Lays `length` glyphs of `text` along `width`, each getting an equal share
// of it: calls drawGlyph(corner, advance, cell) once per glyph, in order, and
// leaves `position` moved by the whole width. An empty text calls nothing and
// leaves `position` as it was.
template <typename DrawGlyph>
void layoutGlyphs(const char* text, size_t length, Vector3& position, const Vector3& width,
                  DrawGlyph drawGlyph) {
  if (length == 0) return;
  const Vector3 advance = width / static_cast<double>(length);
  for (size_t i = 0; i < length; ++i) {
    drawGlyph(position, advance, glyphCell(static_cast<unsigned char>(text[i])));
    position += advance;
  }
}
