// A solution stepped through on the layout it starts from, forward and back,
// one move byte at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "BoardState.h"

class SolutionReplay {
 public:
  // `start` is the layout that was searched, `moves` the solution's move log
  // from it; every move names a piece of `start`.
  SolutionReplay(BoardState start, std::vector<uint8_t> moves);

  // The position after the moves played so far.
  const BoardState& board() const { return board_; }
  // How many moves have been played, 0 to total().
  int played() const { return played_; }
  int total() const { return static_cast<int>(moves_.size()); }
  bool atEnd() const { return played_ == total(); }

  // Plays the next move; false, changing nothing, when all have been played.
  bool forward();
  // Takes the last move played back; false, changing nothing, at the start.
  bool back();

 private:
  // Moves the piece that `move` names by its step times `sign` (+1 or -1).
  void apply(uint8_t move, int sign);

  BoardState board_;
  std::vector<uint8_t> moves_;
  int played_ = 0;
};
