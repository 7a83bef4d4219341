#include "Piece.h"

Piece::Piece(int shapeIndex) : shape_(&catalogShape(shapeIndex)) {}
