// The moves of the pieces above the last group, for keys that keep the
// upper groups' cells apart (CompactCodec): while those pieces stay, only
// the last group can block their moves. Keys in sorted order mostly differ
// in the last group alone, so the list is made once for many positions.
#pragma once

#include <cstdint>

#include "model/MoveByte.h"
#include "search/core/BoardGeometry.h"
#include "search/core/PieceGroups.h"
#include "search/core/StepMoves.h"

template <typename CellMask>
class UpperMoves {
 public:
  // Forgets the list: the next position lists it anew.
  void reset() {
    changes_ = 0;
    words_ = 0;
  }

  // Lists the moves of position `d` (a decoded key) that the upper pieces
  // leave each other room for, unless its upper digits are those of the
  // position listed last.
  template <typename Decoded>
  void update(const Decoded& d, const PieceGroups& groups,
              const BoardGeometry<CellMask>& geometry) {
    if (changes_ == d.upperChanges) return;
    const int upper = groups.last().first;
    int count = 0;
    words_ = (upper + 15) >> 4;
    for (int k = 0; k < upper; ++k) {
      if ((k & 15) == 0) wordStart_[k >> 4] = count;
      const CellMask* entered = geometry.entered[groups.shapeOf[k]][d.cell[k]];
      for (int direction = 0; direction < moveDirectionCount; ++direction) {
        // Written every time, kept when free: the test is unpredictable.
        moves_[count] = {entered[direction], 4 * (k & 15) + direction};
        count += stepIsFree(entered[direction], d.taken);
      }
    }
    wordStart_[words_] = count;
    changes_ = d.upperChanges;
  }

  // The upper pieces' legal moves as bits 4k + direction, a word of 16
  // pieces each, given the cells of the last group. Without branches: each
  // word is gathered in a register, as or-ing into the array would chain
  // every piece's bits to the previous one's store.
  void legalBits(CellMask lastCells, uint64_t* legal) const {
    for (int word = 0; word < words_; ++word) {
      uint64_t bits = 0;
      for (int m = wordStart_[word]; m < wordStart_[word + 1]; ++m) {
        bits |= uint64_t{stepIsFree(moves_[m].enters, lastCells)} << moves_[m].bit;
      }
      legal[word] = bits;
    }
  }

 private:
  // A move: the cells it enters, its bit in its word of legal moves.
  struct Move {
    CellMask enters;
    int bit;
  };

  uint32_t changes_ = 0;  // Decoded::upperChanges of the position listed
  int words_ = 0;
  int wordStart_[maxLoggedPieces / 16 + 1] = {};
  Move moves_[4 * maxLoggedPieces];
};
