// The last screens: the replay of a solution, or the failures.
#pragma once

#include "model/BoardState.h"
#include "render/Camera.h"
#include "search/Solver.h"

// Shows `board` and one line of `text` until space is pressed (a press
// already latched on entry ends it at once).
void showBoardUntilSpace(const BoardState& board, const Camera& camera, const char* text);

// Plays the solution's moves on the person's layout, one per press of space,
// and ends on "Fini !!".
void replaySolution(BoardState initialBoard, const BoardState& solution, const Camera& camera);

// "Echec : Impossible." over the person's layout.
void showFailure(const BoardState& board, const Camera& camera);

// The search gave up because its memory budget was reached.
void showMemoryFailure(const BoardState& board, const Camera& camera);

// The screen that fits the search's result, over the layout it started from;
// none for a search the person stopped.
void showResult(const BoardState& initialBoard, const SolveResult& result, const Camera& camera);
