// The colour of each shape, red, green and blue in 0 to 1.
#pragma once

#include "Shape.h"

struct PaletteColor {
  double red;
  double green;
  double blue;
};

extern const PaletteColor Palette[shapeCount];
