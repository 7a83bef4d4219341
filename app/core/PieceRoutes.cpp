#include "PieceRoutes.h"

#include <array>
#include <cassert>
#include <cstdlib>

#include "search/core/BoardGeometry.h"
#include "search/core/StepMoves.h"

// A bit per cell of every board size: the play screen builds it once.
struct PieceRoutes::Geometry : BoardGeometry<CellMask128> {
  using BoardGeometry<CellMask128>::BoardGeometry;
};

PieceRoutes::PieceRoutes(BoardSize size) : size_(size), geometry_(new Geometry(size)) {}

PieceRoutes::~PieceRoutes() = default;

std::optional<int> PieceRoutes::firstStepTowards(const BoardState& board, int pieceIndex,
                                                 int targetX, int targetY) const {
  assert(board.size == size_);
  assert(pieceIndex >= 0 && pieceIndex < board.pieceCount());
  const Geometry& geometry = *geometry_;
  const int width = size_.width;
  const auto originOf = [&](const Piece& piece) { return piece.y() * width + piece.x(); };
  CellMask128 others = 0;
  for (int i = 0; i < board.pieceCount(); ++i) {
    if (i != pieceIndex)
      others |= geometry.mask[board.pieces[i].shapeIndex()][originOf(board.pieces[i])];
  }
  const int shape = board.pieceAt(pieceIndex).shapeIndex();
  const int from = originOf(board.pieceAt(pieceIndex));

  // A breadth-first walk of the piece's steps, each origin reached noting
  // the step that reached it; the best origin is the first reached of the
  // nearest to the target, so among equals the one fewest steps away.
  std::array<int, maxBoardCells> cameBy;
  cameBy.fill(-1);
  std::array<int, maxBoardCells> queue;
  int head = 0, tail = 0;
  queue[tail++] = from;
  const auto apart = [&](int origin) {
    return std::abs(origin % width - targetX) + std::abs(origin / width - targetY);
  };
  int best = from;
  while (head < tail) {
    const int at = queue[head++];
    if (apart(at) < apart(best)) best = at;
    forEachStep(geometry, shape, at, others | geometry.mask[shape][at],
                [&](int direction, uint8_t to) {
                  if (to == from || cameBy[to] != -1) return;
                  cameBy[to] = direction;
                  queue[tail++] = to;
                });
  }
  if (best == from) return std::nullopt;
  // Back along the route to its first step; codes 0/1 and 2/3 are opposites.
  int at = best;
  for (;;) {
    const int direction = cameBy[at];
    const int before = geometry.step[shape][at][direction ^ 1];
    if (before == from) return direction;
    at = before;
  }
}
