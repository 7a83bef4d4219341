// The strict order on board states that tells apart the states of a search.
#pragma once

#include "model/BoardState.h"

// Whether `a` stands before `b`: smaller x, or equal x and smaller y (signed).
bool positionLess(const Piece& a, const Piece& b);

// Lexicographic order of the piece positions; shapes and move logs take no
// part. `b` must have at least as many pieces as `a`.
bool stateLess(const BoardState& a, const BoardState& b);
