// The second screen: the person lays out the pieces of the puzzle.
#pragma once

#include "model/BoardState.h"
#include "platform/Clipboard.h"
#include "render/Camera.h"
#include "render/MessageOverlay.h"
#include "search/Solver.h"

// What the person asks of the editor's layout.
enum class EditorChoice {
  search,   // Return: the fewest moves from it
  analyze,  // H: the whole set of positions it reaches, and its hardest start
  play,     // J: the person plays it, the engine beside them
  quit,     // Escape or a close request: the puzzle is abandoned
};

// Lays out `board`: space adds pieces, the square first, Backspace takes the
// last one off, S saves the layout to a new puzzle-N.txt in the working
// directory, C shows its layout code and puts it on `clipboard`, V opens the
// layout whose code is on the X clipboard in its place. In either phase M
// changes `metric`, the metric of the searches that follow, and a line below
// the board names it. The board may be empty or hold a layout to go on with;
// the cursor then starts at (0, 0) in the shape of its last piece. Return,
// H, J, S and C are taken once the square stands.
EditorChoice runPlacementEditor(const Camera& camera, BoardState& board, MoveMetric& metric,
                                MessageOverlay& overlay, Clipboard& clipboard);

// S in the editor and on the play screen: writes `board`'s size and pieces
// to a new puzzle-N.txt in the working directory (never over a file) and
// says so at `messageAt` on the overlay; a failure changes nothing but the
// message, and its reason goes to standard error.
void saveLayout(const BoardState& board, MessageOverlay& overlay, Vector3 messageAt);
