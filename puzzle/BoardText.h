// Positions as text grids, one character per cell, for people to read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/BoardState.h"

// The 64 characters that draw pieces 0 to 63, in index order.
extern const char pieceLetters[];

// The board's rows, top row first, each of `size.width` characters and a
// newline: pieceLetters[i] on the cells of piece i, '.' on empty cells.
std::string formatBoardGrid(const BoardState& board);

// The start and the position after each counted move of a solution, each as
// a caption ("move 0: start", then "move K: piece P DIR...") followed by its
// grid and a blank line. `stepsPerMove` groups the one-cell steps of `log`
// into counted moves and must add up to its length.
std::string formatSolutionBoards(const BoardState& start, const std::vector<uint8_t>& log,
                                 const std::vector<uint16_t>& stepsPerMove);
