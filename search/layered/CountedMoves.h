// The moves of one position in the line and path metrics, less those that
// make no new position, for the expansion of a layer (docs/layered-search.md).
//
// A piece the parent just moved (an arrival) need not move again: every
// place it reaches is one move from the parent, so no child of it is new
// (along the axis of the slide in line, anywhere in path).
//
// Commuting moves, as in steps: say position S was reached by move y of
// piece j from P, and a move x of another piece i touches no cell that y
// may have swept. Then x can be made in P, y after it, and S + x = (P + x)
// + y; if S + x is new, P + x lies in the layer of S and makes it too. So S
// leaves x when x comes before y in a fixed order of moves, by destination,
// direction and shape, which tells apart any two moves into one position.
// The cells y may have swept are taken wide: in line, every cell behind the
// piece that it could slide back over; in path, every cell it reaches. x's
// are those of its slide, or in path of every place the piece reaches.
#pragma once

#include <cstdint>

#include "BackMoves.h"
#include "search/core/BoardGeometry.h"
#include "search/core/MoveMetric.h"
#include "search/core/PieceGroups.h"
#include "search/core/StepMoves.h"

template <typename CellMask>
class CountedMoves {
 public:
  CountedMoves(MoveMetric metric, const BoardGeometry<CellMask>& geometry,
               const PieceGroups& groups)
      : path_(metric == MoveMetric::path), geometry_(geometry), groups_(groups) {}

  // Calls emit(k, to, arrivals) for every move of canonical piece k to
  // origin `to` in the position of origins `cell` and cells `occupied` that
  // its back bytes `backs` leave; `arrivals` (a bit for each back byte) are
  // those that commute with the move, to be carried by the child
  // (carried()).
  template <typename Emit>
  void forEach(const uint8_t* cell, CellMask occupied, uint32_t backs, Emit&& emit) {
    uint64_t movable[maxLoggedPieces / 16] = {};
    for (int k = 0; k < groups_.pieceCount; ++k) {
      movable[k >> 4] |= freeSteps(geometry_.entered[groups_.shapeOf[k]][cell[k]], occupied)
                         << (4 * (k & 15));
    }
    arrivalCount_ = 0;
    for (uint32_t rest = backs; rest != noBackMoves; rest = rest >> 8 | 0xFF000000u) {
      const uint32_t back = rest & 0xFF;
      const uint64_t axis = path_ ? 0xF : (back & 2) != 0 ? 0xC : 0x3;
      movable[back >> 6] &= ~(axis << (back & 60));
      noteArrival(back, cell, occupied);
    }
    for (int word = 0; word <= (groups_.pieceCount - 1) >> 4; ++word) {
      for (uint64_t bits = movable[word]; bits != 0;) {
        const int k = (64 * word + __builtin_ctzll(bits)) >> 2;
        const uint64_t directions = bits >> (4 * (k & 15)) & 0xF;
        bits &= ~(uint64_t{0xF} << (4 * (k & 15)));
        if (path_) {
          walks(k, cell, occupied, emit);
        } else {
          slides(k, directions, cell, occupied, emit);
        }
      }
    }
  }

  // The back bytes of the child made by moving canonical piece k, which is
  // piece `movedTo` in the child, last in `direction`, with the arrivals
  // `arrivals` that commute with it; at most `most`.
  uint32_t carried(int k, int movedTo, int direction, uint32_t arrivals, int most) const {
    uint32_t backs = 4 * movedTo + (direction ^ 1);  // codes 0/1 and 2/3 are opposites
    int count = 1;
    for (int a = 0; a < arrivalCount_ && count < most; ++a) {
      if ((arrivals >> a & 1) == 0) continue;
      int piece = arrival_[a].piece;
      if (groups_.groupOf[piece] == groups_.groupOf[k]) {
        piece -= piece > k;
        piece += piece >= movedTo;
      }
      backs |= (4u * piece + (arrival_[a].back & 3)) << (8 * count++);
    }
    if (count < 4) backs |= noBackMoves << (8 * count);
    return backs;
  }

 private:
  // A move that brought the position from the layer before: its piece, its
  // back byte, its order, and the cells it may have swept.
  struct Arrival {
    int piece;
    uint32_t back;
    uint32_t order;
    CellMask swept;
  };

  static uint32_t moveOrder(int shape, int to, int direction) {
    return (static_cast<uint32_t>(to) * moveDirectionCount + direction) * 32 + shape;
  }

  void noteArrival(uint32_t back, const uint8_t* cell, CellMask occupied) {
    const int j = static_cast<int>(back >> 2);
    const int shape = groups_.shapeOf[j];
    const int at = cell[j];
    const int backward = static_cast<int>(back & 3);
    Arrival& arrival = arrival_[arrivalCount_++];
    arrival.piece = j;
    arrival.back = back;
    if (path_) {
      const CellMask others = occupied & ~geometry_.mask[shape][at];
      arrival.order = moveOrder(shape, at, 0);
      arrival.swept = sweptCells(geometry_, shape, reachableOrigins(geometry_, shape, at, others));
      return;
    }
    arrival.order = moveOrder(shape, at, backward ^ 1);
    arrival.swept = geometry_.mask[shape][at];
    for (int from = at; stepIsFree(geometry_.entered[shape][from][backward], occupied);) {
      from = geometry_.step[shape][from][backward];
      arrival.swept |= geometry_.mask[shape][from];
    }
  }

  // The arrivals that a move of piece k sweeping `swept` commutes with, as
  // bits; and whether one of them comes after a move of order `order`.
  uint32_t commuting(int k, CellMask swept) const {
    uint32_t bits = 0;
    for (int a = 0; a < arrivalCount_; ++a) {
      bits |= uint32_t{arrival_[a].piece != k && !cellsMeet(swept, arrival_[a].swept)} << a;
    }
    return bits;
  }
  bool later(uint32_t order, uint32_t commute) const {
    bool found = false;
    for (int a = 0; a < arrivalCount_; ++a) {
      found |= (commute >> a & 1) != 0 && order < arrival_[a].order;
    }
    return found;
  }

  template <typename Emit>
  void walks(int k, const uint8_t* cell, CellMask occupied, Emit& emit) const {
    const int shape = groups_.shapeOf[k];
    const CellMask others = occupied & ~geometry_.mask[shape][cell[k]];
    const CellMask reached = reachableOrigins(geometry_, shape, cell[k], others);
    const uint32_t commute = commuting(k, sweptCells(geometry_, shape, reached));
    for (CellMask to = reached & ~BoardGeometry<CellMask>::bit(cell[k]); to != 0; to &= to - 1) {
      const int destination = BoardGeometry<CellMask>::lowestCell(to);
      if (!later(moveOrder(shape, destination, 0), commute)) emit(k, destination, 0, commute);
    }
  }

  // A slide enters none of the piece's first cells: with them taken, a
  // step off the board still meets the piece.
  template <typename Emit>
  void slides(int k, uint64_t directions, const uint8_t* cell, CellMask occupied,
              Emit& emit) const {
    const int shape = groups_.shapeOf[k];
    for (int direction = 0; direction < moveDirectionCount; ++direction) {
      if ((directions >> direction & 1) == 0) continue;
      CellMask swept = geometry_.mask[shape][cell[k]];
      for (int at = cell[k]; stepIsFree(geometry_.entered[shape][at][direction], occupied);) {
        at = geometry_.step[shape][at][direction];
        swept |= geometry_.mask[shape][at];
        const uint32_t commute = commuting(k, swept);
        if (!later(moveOrder(shape, at, direction), commute)) emit(k, at, direction, commute);
      }
    }
  }

  const bool path_;
  const BoardGeometry<CellMask>& geometry_;
  const PieceGroups& groups_;
  Arrival arrival_[maxBackBytes];
  int arrivalCount_ = 0;
};
