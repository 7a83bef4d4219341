// How the layered search sees the pieces: in groups of the same shape, which
// may trade places without making a new position.
//
// Group 0 is piece 0 alone: it must get out, so it is never exchanged, not
// even with another square. The other pieces are grouped by shape, in shape
// order, except the single cells, which come last in a group of their own:
// they are ranked among the cells the other pieces leave free, which gives
// the smallest keys. Within a group the pieces are listed by origin cell;
// this is the canonical order in which a key is decoded.
#pragma once

#include <algorithm>
#include <cstdint>

#include "model/BoardState.h"
#include "model/MoveByte.h"
#include "model/Shape.h"

constexpr int maxPieceGroups = shapeCount + 1;
constexpr int singleCellShape = 1;

struct PieceGroup {
  int shape = 0;
  int first = 0;  // first canonical index
  int count = 0;
  bool singles = false;  // ranked among the free cells rather than among origins
};

struct PieceGroups {
  int pieceCount = 0;
  int groupCount = 0;
  PieceGroup groups[maxPieceGroups];
  uint8_t shapeOf[maxLoggedPieces] = {};       // by canonical index
  uint8_t groupOf[maxLoggedPieces] = {};       // by canonical index
  uint8_t groupOfLabel[maxLoggedPieces] = {};  // by the piece's index on the board

  explicit PieceGroups(const BoardState& root) {
    pieceCount = root.pieceCount();
    int countOfShape[shapeCount] = {};
    for (int i = 1; i < pieceCount; ++i) ++countOfShape[root.pieces[i].shapeIndex()];
    int groupOfShape[shapeCount];
    std::fill(std::begin(groupOfShape), std::end(groupOfShape), -1);
    addGroup(root.pieces[0].shapeIndex(), 1, false);
    for (int s = 0; s < shapeCount; ++s) {
      if (s == singleCellShape || countOfShape[s] == 0) continue;
      groupOfShape[s] = groupCount;
      addGroup(s, countOfShape[s], false);
    }
    if (countOfShape[singleCellShape] > 0) {
      groupOfShape[singleCellShape] = groupCount;
      addGroup(singleCellShape, countOfShape[singleCellShape], true);
    }
    for (int i = 1; i < pieceCount; ++i) {
      groupOfLabel[i] = static_cast<uint8_t>(groupOfShape[root.pieces[i].shapeIndex()]);
    }
  }

  const PieceGroup& last() const { return groups[groupCount - 1]; }
  bool hasSingles() const { return groupCount > 0 && last().singles; }

 private:
  void addGroup(int shape, int count, bool singles) {
    PieceGroup& group = groups[groupCount];
    group.shape = shape;
    group.first = groupCount == 0 ? 0 : groups[groupCount - 1].first + groups[groupCount - 1].count;
    group.count = count;
    group.singles = singles;
    for (int k = group.first; k < group.first + count; ++k) {
      shapeOf[k] = static_cast<uint8_t>(shape);
      groupOf[k] = static_cast<uint8_t>(groupCount);
    }
    ++groupCount;
  }
};

// Binomial coefficients C(n, k) for n up to the cells of the largest board,
// saturated at the largest Key: a saturated entry exceeds every rank.
template <typename Key>
struct Binomials {
  static constexpr int maxN = maxBoardCells;
  Key c[maxN + 1][maxLoggedPieces + 1] = {};

  Binomials() {
    const Key most = ~Key{0};
    for (int n = 0; n <= maxN; ++n) {
      c[n][0] = 1;
      for (int k = 1; k <= maxLoggedPieces; ++k) {
        if (n == 0) continue;
        const Key a = c[n - 1][k - 1];
        const Key b = c[n - 1][k];
        c[n][k] = a > most - b ? most : a + b;
      }
    }
  }

  // The rank of the ascending indices idx[0..n): the sum of C(idx[i], i + 1).
  Key rank(const uint8_t* idx, int n) const {
    Key r = 0;
    for (int i = 0; i < n; ++i) r += c[idx[i]][i + 1];
    return r;
  }

  // The rank of idx[0..n) with idx[at] replaced by `value` (kept ascending);
  // `placedAt` tells where `value` stands among them.
  Key rankReplaced(const uint8_t* idx, int n, int at, int value, int& placedAt) const {
    if (n == 1) {  // a piece alone in its group: the rank is its index
      placedAt = 0;
      return static_cast<Key>(value);
    }
    Key r = 0;
    int i = 1;
    placedAt = -1;
    for (int j = 0; j < n; ++j) {
      if (j == at) continue;
      if (placedAt < 0 && value < idx[j]) {
        placedAt = i - 1;
        r += c[value][i++];
      }
      r += c[idx[j]][i++];
    }
    if (placedAt < 0) {
      placedAt = i - 1;
      r += c[value][i];
    }
    return r;
  }

  // The ascending indices of rank r among `universe` of which n are chosen.
  // idx[] may hold any earlier combination: the search for each index
  // starts there, so ranks close to the last one unrank in a few steps.
  void unrank(Key r, int n, int universe, uint8_t* idx) const {
    int upper = universe;  // every index of this level stays below it
    for (int i = n; i >= 1; --i) {
      int at = std::max(std::min(static_cast<int>(idx[i - 1]), upper - 1), i - 1);
      if (c[at][i] <= r) {
        while (at + 1 < upper && c[at + 1][i] <= r) ++at;
      } else {
        while (c[at][i] > r) --at;
      }
      idx[i - 1] = static_cast<uint8_t>(at);
      r -= c[at][i];
      upper = at;
    }
  }
};
