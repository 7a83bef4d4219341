// Where a board and the lines of text around it go, whatever its height.
// The fixed camera and the screens' lines were laid out for boards of up to
// six rows: lines above the board up to y = 9, counters below it from
// y = -2. A taller board would reach into the lines above, so for it the
// lines above rise with its top edge and the camera rises and, where rising
// alone is not enough, backs off: just far enough to keep the margins of
// the fixed view above the top line and below the bottom one.
#pragma once

#include "Camera.h"
#include "Vector3.h"
#include "model/BoardSize.h"

// The tallest board that the fixed camera shows clear of the lines above it.
constexpr int rowsBelowTheLines = 6;

// The top of the highest line above a board of up to six rows, and the
// bottom of the lowest line below any board.
constexpr double linesTop = 9.0;
constexpr double linesBottom = -2.0;

// The camera for a board of `size`: `fixed` itself for up to six rows.
Camera boardCamera(const Camera& fixed, BoardSize size);

// Where a point of a line laid out above a board of up to six rows goes
// above a board of `size`: as high again as the rows beyond six.
Vector3 aboveBoard(BoardSize size, Vector3 point);
