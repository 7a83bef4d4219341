// A solution stepped through on the layout it starts from, forward and back,
// one counted move at a time: a one-cell step, or a run of steps of one
// piece when the solution counts moves of several cells.
#pragma once

#include <cstdint>
#include <vector>

#include "BoardState.h"

class SolutionReplay {
 public:
  // `start` is the layout that was searched, `steps` the solution's move log
  // from it, one move byte per one-cell step; every step names a piece of
  // `start`. `stepsPerMove` groups the steps into the moves counted, in
  // order; when it is empty, or does not add up to the length of the log,
  // every step counts as a move.
  SolutionReplay(BoardState start, std::vector<uint8_t> steps,
                 const std::vector<uint16_t>& stepsPerMove = {});

  // The position after the moves played so far.
  const BoardState& board() const { return board_; }
  // How many moves have been played, 0 to total().
  int played() const { return played_; }
  int total() const { return static_cast<int>(firstStep_.size()) - 1; }
  bool atEnd() const { return played_ == total(); }

  // Plays the next move, all its steps; false, changing nothing, when all
  // have been played.
  bool forward();
  // Takes the last move played back; false, changing nothing, at the start.
  bool back();

  // How many cells the last move played took its piece; 0 at the start.
  int lastMoveCells() const;

  // Where the piece of the last move played stood on its way: its index and
  // the origin it had after `fraction` (0 to 1) of the cells of its route,
  // partway between two cells inside a step.
  struct PieceOnItsWay {
    int pieceIndex;
    double x;
    double y;
  };
  // Called after at least one move has been played.
  PieceOnItsWay lastMoveAt(double fraction) const;

 private:
  // Moves the piece that `step` names by its cell times `sign` (+1 or -1).
  void apply(uint8_t step, int sign);

  BoardState board_;
  std::vector<uint8_t> steps_;
  // Move k covers the steps from firstStep_[k] up to firstStep_[k + 1].
  std::vector<size_t> firstStep_;
  int played_ = 0;
};
