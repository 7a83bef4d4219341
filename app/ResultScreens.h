// The last screens: the replay of a solution, or the failures. On each of
// them E goes back to the editor with the layout that was searched; a close
// request ends each of them as their last press of space does.
#pragma once

#include <cstdint>
#include <vector>

#include "model/BoardState.h"
#include "render/Camera.h"
#include "search/Solver.h"

// Where the program goes after a result screen.
enum class ResultChoice {
  editor,  // E, or a search the person stopped: the editor, with the layout searched
  quit,    // the last press of space, or a close request
};

// Shows `board` and one line of `text` until space (a press already latched
// on entry ends it at once) or E.
ResultChoice showBoardUntilSpace(const BoardState& board, const Camera& camera, const char* text);

// Plays the solution's moves on the person's layout, counted as
// `stepsPerMove` groups the one-cell steps of its move log. Space plays the
// next move, and on "Fini !!", after the last, ends the screen; Backspace
// takes a move back; A starts or stops automatic play, 4 moves a second up
// to the last. A move of several cells runs along its route for 0.2 s at
// most, shown at its end at once when a key comes first; automatic play
// waits for it. A line below the board counts "Coup K / N".
ResultChoice replaySolution(BoardState initialBoard, const BoardState& solution,
                            const std::vector<uint16_t>& stepsPerMove, const Camera& camera);

// "Echec : Impossible." over the person's layout.
ResultChoice showFailure(const BoardState& board, const Camera& camera);

// The search gave up because its memory budget was reached.
ResultChoice showMemoryFailure(const BoardState& board, const Camera& camera);

// The screen that fits the search's result, over the layout it started from;
// the editor at once for a search the person stopped.
ResultChoice showResult(const BoardState& initialBoard, const SolveResult& result,
                        const Camera& camera);
