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
