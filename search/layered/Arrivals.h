// The moves that brought a position from the layer before (its back moves
// read the other way), and which moves of the position commute with them
// (the design note, docs/layered-search.md, says why such a move is made by
// another parent).
//
// Moves are ordered by destination, direction and shape: a fixed order that
// does not depend on the position and tells apart any two moves into one
// position. Two moves of different pieces commute when the cells one may
// sweep and the cells the other may sweep are apart.
#pragma once

#include <cstdint>

#include "BackMoves.h"
#include "search/core/PieceGroups.h"
#include "search/core/StepMoves.h"

template <typename CellMask>
class Arrivals {
 public:
  static uint32_t moveOrder(int shape, int to, int direction) {
    return (static_cast<uint32_t>(to) * moveDirectionCount + direction) * 32 + shape;
  }

  // Places past the last arrival hold one that no move commutes with (it
  // sweeps every cell), so that the tests below run over all of them
  // without a branch.
  void clear() {
    count_ = 0;
    for (Arrival& arrival : arrival_) arrival = {-1, 0xFF, 0, ~CellMask{0}};
  }
  // Notes the arrival of canonical piece `piece` whose back byte is `back`,
  // of order `order`, which may have swept `swept`.
  void add(int piece, uint32_t back, uint32_t order, CellMask swept) {
    arrival_[count_++] = {piece, back, order, swept};
  }

  // The arrivals that a move of piece k sweeping `swept` commutes with, as
  // bits (a bit an arrival); `later` tells whether one of them comes after
  // the move, of order `order`: its child is then made by another parent.
  uint32_t commuting(int k, CellMask swept, uint32_t order, bool& later) const {
    uint32_t bits = 0;
    uint32_t after = 0;
    for (int a = 0; a < maxBackBytes; ++a) {
      const uint32_t commutes =
          uint32_t{arrival_[a].piece != k} & uint32_t{!cellsMeet(swept, arrival_[a].swept)};
      bits |= commutes << a;
      after |= commutes & uint32_t{order < arrival_[a].order};
    }
    later = after != 0;
    return bits;
  }
  // The same for moves of piece k that all sweep `swept`, whatever their
  // order (later() tells, destination by destination).
  uint32_t commuting(int k, CellMask swept) const {
    uint32_t bits = 0;
    for (int a = 0; a < maxBackBytes; ++a) {
      bits |= (uint32_t{arrival_[a].piece != k} & uint32_t{!cellsMeet(swept, arrival_[a].swept)})
              << a;
    }
    return bits;
  }
  bool later(uint32_t order, uint32_t commute) const {
    bool found = false;
    for (uint32_t rest = commute; rest != 0; rest &= rest - 1) {
      found |= order < arrival_[__builtin_ctz(rest)].order;
    }
    return found;
  }

  // The back bytes of the child made by moving canonical piece k, which is
  // piece `movedTo` in the child, last in `direction`: the move back, then
  // the arrivals `commute`, which are arrivals of the child too; at most
  // `most`.
  uint32_t carried(const PieceGroups& groups, int k, int movedTo, int direction, uint32_t commute,
                   int most) const {
    uint32_t backs = 4 * movedTo + (direction ^ 1);  // codes 0/1 and 2/3 are opposites
    int count = 1;
    // Without branches: which arrivals commute, and whether they are of the
    // moved piece's group, are unpredictable.
    for (int a = 0; a < count_; ++a) {
      const uint32_t take = (commute >> a & 1) & uint32_t{count < most};
      int piece = arrival_[a].piece;
      const int same = groups.groupOf[piece] == groups.groupOf[k];
      piece -= same & (piece > k);
      piece += same & (piece >= movedTo);
      backs |= take * ((4u * piece + (arrival_[a].back & 3)) << (8 * count & 31));
      count += static_cast<int>(take);
    }
    if (count < 4) backs |= noBackMoves << (8 * count);
    return backs;
  }

 private:
  struct Arrival {
    int piece;
    uint32_t back;
    uint32_t order;
    CellMask swept;
  };

  Arrival arrival_[maxBackBytes];
  int count_ = 0;
};
