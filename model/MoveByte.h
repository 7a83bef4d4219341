// One move in one byte: piece index in bits 0 to 5, direction in bits 6 and 7.
#pragma once

#include <cstdint>

// Move bytes can name pieces 0 to 63 only.
constexpr int maxLoggedPieces = 64;

// Direction codes 0 to 3: right, left, up, down.
constexpr int moveDirectionCount = 4;
constexpr int moveDx[moveDirectionCount] = {+1, -1, 0, 0};
constexpr int moveDy[moveDirectionCount] = {0, 0, +1, -1};

struct MoveStep {
  int pieceIndex;
  int dx;
  int dy;
};

// The byte for moving piece `pieceIndex` by (dx, dy); only the low eight bits
// of the index are read, and a step that is not left, up or down counts as right.
uint8_t encodeMove(int pieceIndex, int dx, int dy);

// The piece index and step that a move byte names.
MoveStep decodeMove(uint8_t move);
