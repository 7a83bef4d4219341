// The last screens: the replay of a solution, or the failures. On each of
// them E goes back to the editor with the layout that was searched; a close
// request ends each of them as their last press of space does.
#pragma once

#include <cstdint>
#include <vector>

#include "model/BoardState.h"
#include "render/Camera.h"
#include "search/Solver.h"

// Shows `board` and one line of `text` until space is pressed (a press
// already latched on entry ends it at once) or E. Returns true for E.
bool showBoardUntilSpace(const BoardState& board, const Camera& camera, const char* text);

// Plays the solution's moves on the person's layout, counted as
// `stepsPerMove` groups the one-cell steps of its move log. Space plays the
// next move, and on "Fini !!", after the last, ends the screen; Backspace
// takes a move back; A starts or stops automatic play, 4 moves a second up
// to the last. A move of several cells runs along its route for 0.2 s at
// most, shown at its end at once when a key comes first; automatic play
// waits for it. A line below the board counts "Coup K / N". Returns true when
// E asks for the editor.
bool replaySolution(BoardState initialBoard, const BoardState& solution,
                    const std::vector<uint16_t>& stepsPerMove, const Camera& camera);

// "Echec : Impossible." over the person's layout; true when E asks for the
// editor.
bool showFailure(const BoardState& board, const Camera& camera);

// The search gave up because its memory budget was reached; true when E asks
// for the editor.
bool showMemoryFailure(const BoardState& board, const Camera& camera);

// The screen that fits the search's result, over the layout it started from.
// Returns true to go back to the editor with that layout: after E, or at
// once for a search the person stopped.
bool showResult(const BoardState& initialBoard, const SolveResult& result, const Camera& camera);
