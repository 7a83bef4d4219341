// The play screen: the person moves the pieces of a layout, by keys or with
// the mouse, while the engine beside them says how many moves the position
// on the board still needs and gives hints; the best scores are kept.
#pragma once

#include "model/BoardState.h"
#include "render/Camera.h"
#include "render/MessageOverlay.h"
#include "search/Solver.h"

// Where the program goes after the play screen.
enum class PlayChoice {
  editor,  // Escape or E, or space at the end: the editor, with the layout played
  replay,  // A at the end: the shortest solution from the start, replayed
  quit,    // a close request
};

struct PlayEnd {
  PlayChoice choice = PlayChoice::quit;
  SolveResult solution;  // for replay: the engine's answer from the start
};

// Plays `start` in `metric`. Tab and Shift-Tab select a piece, the arrows
// move it one cell, a click selects one and a drag moves it one cell a frame
// along a shortest free route towards the pointer; Backspace and R undo and
// redo whole moves, I plays a hint, S saves the position on the board to a
// new puzzle file. Lines show the moves played ("Coups : K"), the hints
// used, the distance to the exit and the best score kept for the layout in
// that metric; at the end, "Bravo !" with the fewest moves from the start.
// The engine's searches run on a worker thread, stopped before the screen
// returns.
PlayEnd runPlayScreen(const Camera& camera, const BoardState& start, MoveMetric metric,
                      MessageOverlay& overlay);
