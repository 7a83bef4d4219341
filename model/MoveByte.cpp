#include "MoveByte.h"

uint8_t encodeMove(int pieceIndex, int dx, int dy) {
  uint8_t byte = static_cast<uint8_t>(pieceIndex);
  if (dx == -1) byte |= 0x40;
  if (dy == +1) {
    byte |= 0x80;
  } else if (dy == -1) {
    byte |= 0xC0;
  }
  return byte;
}

MoveStep decodeMove(uint8_t move) {
  const int direction = move >> 6;
  return {move & 0x3F, moveDx[direction], moveDy[direction]};
}
