// How the search keys a position and tells two positions apart.
//
// Design (keying). A position is stored as one byte per piece, in piece index
// order: the board cell of the piece's origin (see core/BoardGeometry.h). Two positions
// that differ only by an exchange of pieces of the same shape allow the same
// moves and are goals together, so they are one entry: pieces are grouped by
// shape (PieceGroups.h), piece 0 in a group of its own (it is never merged,
// even with another square), and the key of a position is the set of origins of
// each group. Its hash is a Zobrist sum: the exclusive or of one random word
// per (group, origin) of each piece. It does not depend on the order of the
// pieces inside a group, and a move updates it with two xors.
//
// Duplicates. The position table (PositionTable.h) names the records whose
// hash tag matches; the two labelled positions are then compared byte for
// byte, and when they differ, group by group as sets of origin cells.
#pragma once

#include <cstdint>
#include <cstring>

#include "model/BoardState.h"
#include "search/core/BoardGeometry.h"
#include "search/core/PieceGroups.h"

template <typename CellMask>
class PositionKeys {
 public:
  // Groups the pieces of `root` by shape and draws the Zobrist words.
  explicit PositionKeys(const BoardState& root) : pieces_(root.pieceCount()) {
    const PieceGroups groups(root);
    for (int i = 0; i < pieces_; ++i) {
      shapeOf_[i] = static_cast<uint8_t>(root.pieces[i].shapeIndex());
      groupOf_[i] = groups.groupOfLabel[i];
    }
    groupCount_ = groups.groupCount;
    uint64_t seed = 0x6361766C;
    for (auto& group : zobrist_) {
      for (uint64_t& word : group) word = splitMix(seed);
    }
  }

  int shapeOf(int piece) const { return shapeOf_[piece]; }
  // The Zobrist words of piece `piece`'s group, one per origin cell.
  const uint64_t* zobrist(int piece) const { return zobrist_[groupOf_[piece]]; }

  uint64_t hashOf(const uint8_t* position) const {
    uint64_t hash = 0;
    for (int i = 0; i < pieces_; ++i) hash ^= zobrist_[groupOf_[i]][position[i]];
    return hash;
  }

  // Whether two labelled positions are one entry.
  bool samePosition(const uint8_t* a, const uint8_t* b) const {
    if (sameBytes(a, b)) return true;
    if (a[0] != b[0]) return false;
    // Maybe reached under another labelling. The origins of one group are
    // distinct cells (its pieces never overlap), so each group's set of
    // origins must match: the bits of a and b cancel group by group.
    CellMask difference[maxPieceGroups] = {};
    for (int i = 1; i < pieces_; ++i) {
      difference[groupOf_[i]] ^=
          BoardGeometry<CellMask>::bit(a[i]) ^ BoardGeometry<CellMask>::bit(b[i]);
    }
    for (int g = 1; g < groupCount_; ++g) {
      if (difference[g] != 0) return false;
    }
    return true;
  }

 private:
  static uint64_t load64(const uint8_t* bytes) {
    uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
  }

  static uint64_t splitMix(uint64_t& seed) {
    uint64_t z = (seed += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // Whether two records are equal byte for byte; words overlap at the end.
  bool sameBytes(const uint8_t* a, const uint8_t* b) const {
    if (pieces_ < 8) return std::memcmp(a, b, pieces_) == 0;
    for (int k = 0; k + 8 < pieces_; k += 8) {
      if (load64(a + k) != load64(b + k)) return false;
    }
    return load64(a + pieces_ - 8) == load64(b + pieces_ - 8);
  }

  const int pieces_;
  uint8_t shapeOf_[maxLoggedPieces] = {};
  uint8_t groupOf_[maxLoggedPieces] = {};
  int groupCount_ = 1;
  uint64_t zobrist_[maxPieceGroups][maxBoardCells] = {};
};
