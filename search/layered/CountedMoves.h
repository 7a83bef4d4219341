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

#include <algorithm>
#include <cstdint>

#include "Arrivals.h"
#include "BackMoves.h"
#include "model/MoveMetric.h"
#include "search/core/BoardGeometry.h"
#include "search/core/PieceGroups.h"
#include "search/core/StepMoves.h"

template <typename CellMask>
class CountedMoves {
 public:
  CountedMoves(MoveMetric metric, const BoardGeometry<CellMask>& geometry,
               const PieceGroups& groups)
      : path_(metric == MoveMetric::path), geometry_(geometry), groups_(groups) {}

  // Calls emit(k, to, direction, commute) for every move of canonical piece
  // k to origin `to` (last in `direction`) in the position of origins
  // `cell` and cells `occupied` that its back bytes `backs` leave; `commute`
  // are the arrivals() that commute with the move, which the child carries.
  template <typename Emit>
  void forEach(const uint8_t* cell, CellMask occupied, uint32_t backs, Emit&& emit) {
    // Each word of 16 pieces gathered in a register, as in steps.
    uint64_t movable[maxLoggedPieces / 16] = {};
    for (int first = 0; first < groups_.pieceCount; first += 16) {
      const int end = std::min(first + 16, groups_.pieceCount);
      uint64_t word = 0;
      for (int k = first; k < end; ++k) {
        word |= freeSteps(geometry_.entered[groups_.shapeOf[k]][cell[k]], occupied)
                << (4 * (k & 15));
      }
      movable[first >> 4] = word;
    }
    arrivals_.clear();
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

  // The arrivals of the position last walked through.
  const Arrivals<CellMask>& arrivals() const { return arrivals_; }

 private:
  static uint32_t moveOrder(int shape, int to, int direction) {
    return Arrivals<CellMask>::moveOrder(shape, to, direction);
  }

  void noteArrival(uint32_t back, const uint8_t* cell, CellMask occupied) {
    const int j = static_cast<int>(back >> 2);
    const int shape = groups_.shapeOf[j];
    const int at = cell[j];
    const int backward = static_cast<int>(back & 3);
    if (path_) {
      const CellMask others = occupied & ~geometry_.mask[shape][at];
      const CellMask reached = reachableOrigins(geometry_, shape, at, others);
      arrivals_.add(j, back, moveOrder(shape, at, 0), sweptCells(geometry_, shape, reached));
      return;
    }
    CellMask swept = geometry_.mask[shape][at];
    for (int from = at; stepIsFree(geometry_.entered[shape][from][backward], occupied);) {
      from = geometry_.step[shape][from][backward];
      swept |= geometry_.mask[shape][from];
    }
    arrivals_.add(j, back, moveOrder(shape, at, backward ^ 1), swept);
  }

  template <typename Emit>
  void walks(int k, const uint8_t* cell, CellMask occupied, Emit& emit) const {
    const int shape = groups_.shapeOf[k];
    const CellMask others = occupied & ~geometry_.mask[shape][cell[k]];
    const CellMask reached = reachableOrigins(geometry_, shape, cell[k], others);
    const uint32_t commute = arrivals_.commuting(k, sweptCells(geometry_, shape, reached));
    for (CellMask to = reached & ~BoardGeometry<CellMask>::bit(cell[k]); to != 0; to &= to - 1) {
      const int destination = BoardGeometry<CellMask>::lowestCell(to);
      if (!arrivals_.later(moveOrder(shape, destination, 0), commute)) {
        emit(k, destination, 0, commute);
      }
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
        bool later;
        const uint32_t commute =
            arrivals_.commuting(k, swept, moveOrder(shape, at, direction), later);
        if (!later) emit(k, at, direction, commute);
      }
    }
  }

  const bool path_;
  const BoardGeometry<CellMask>& geometry_;
  const PieceGroups& groups_;
  Arrivals<CellMask> arrivals_;
};
