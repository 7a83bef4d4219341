// How the searches (the engine and the tests' table search) see the pieces:
// in groups of the same shape, which may trade places without making a new
// position.
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
  uint8_t shapeOfLabel[maxLoggedPieces] = {};  // by the piece's index on the board

  explicit PieceGroups(const BoardState& root) {
    pieceCount = root.pieceCount();
    int countOfShape[shapeCount] = {};
    for (int i = 1; i < pieceCount; ++i) ++countOfShape[root.pieces[i].shapeIndex()];
    int groupOfShape[shapeCount];
    std::fill(std::begin(groupOfShape), std::end(groupOfShape), -1);
    addGroup(root.pieces[0].shapeIndex(), 1, Ranked::amongOrigins);
    for (int s = 0; s < shapeCount; ++s) {
      if (s == singleCellShape || countOfShape[s] == 0) continue;
      groupOfShape[s] = groupCount;
      addGroup(s, countOfShape[s], Ranked::amongOrigins);
    }
    if (countOfShape[singleCellShape] > 0) {
      groupOfShape[singleCellShape] = groupCount;
      addGroup(singleCellShape, countOfShape[singleCellShape], Ranked::amongFreeCells);
    }
    for (int i = 0; i < pieceCount; ++i) {
      shapeOfLabel[i] = static_cast<uint8_t>(root.pieces[i].shapeIndex());
      if (i > 0) groupOfLabel[i] = static_cast<uint8_t>(groupOfShape[shapeOfLabel[i]]);
    }
  }

  const PieceGroup& last() const { return groups[groupCount - 1]; }
  bool hasSingles() const { return groupCount > 0 && last().singles; }

 private:
  // How a group's places are ranked in a key.
  enum class Ranked { amongOrigins, amongFreeCells };

  void addGroup(int shape, int count, Ranked ranked) {
    PieceGroup& group = groups[groupCount];
    group.shape = shape;
    group.first = groupCount == 0 ? 0 : groups[groupCount - 1].first + groups[groupCount - 1].count;
    group.count = count;
    group.singles = ranked == Ranked::amongFreeCells;
    for (int k = group.first; k < group.first + count; ++k) {
      shapeOf[k] = static_cast<uint8_t>(shape);
      groupOf[k] = static_cast<uint8_t>(groupCount);
    }
    ++groupCount;
  }
};
