// Where one piece can go by one-cell steps while the others stay, for the
// play screen's drag: the search's own geometry and step test
// (search/core/StepMoves.h), so that a drag moves a piece exactly as the
// engine does.
#pragma once

#include <memory>
#include <optional>

#include "model/BoardState.h"

class PieceRoutes {
 public:
  // The routes of boards of `size`.
  explicit PieceRoutes(BoardSize size);
  ~PieceRoutes();
  PieceRoutes(const PieceRoutes&) = delete;
  PieceRoutes& operator=(const PieceRoutes&) = delete;

  // The direction code (0 right, 1 left, 2 up, 3 down) of the first step of
  // a shortest free route of piece `pieceIndex` of `board` from its origin
  // to the origin (targetX, targetY), which may lie anywhere, off the board
  // too. Where the piece cannot get there, the route goes to the origin it
  // can reach nearest to it: fewest rows and columns apart, then fewest
  // steps away, then first reached. Nothing when the piece stands there
  // already.
  std::optional<int> firstStepTowards(const BoardState& board, int pieceIndex, int targetX,
                                      int targetY) const;

 private:
  struct Geometry;
  BoardSize size_;
  std::unique_ptr<Geometry> geometry_;
};
