// Positions as compact integer keys.
//
// Each group of pieces (PieceGroups.h) is one digit of a mixed-radix number:
// the rank, in the combinatorial number system, of the set of its pieces'
// places. Piece 0's digit is its origin's index among the origins where its
// shape fits, and it is the top digit, so the goal positions share one key
// range. The other groups rank their origins among their shape's fitting
// origins; the single cells come last and rank their cells among the cells
// the other pieces leave free, whose number is the same in every position.
// An exchange of two pieces of one shape leaves every digit as it is, so a
// key names a position up to such exchanges. A move changes one digit (and
// the single cells' digit when another piece moves), so a child's key is
// computed from its parent's without decoding anything.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstdint>

#include "Binomials.h"
#include "search/core/BoardGeometry.h"
#include "search/core/PieceGroups.h"
#include "search/memory/ByteBuffer.h"
#include "search/memory/MemoryBudget.h"

template <typename Key, typename CellMask>
class CompactCodec {
 public:
  using KeyType = Key;
  // Decoded::taken holds the cells of every group but the last.
  static constexpr bool keepsUpperGroups = true;

  // A decoded key: the pieces in canonical order. Decoding the next key of a
  // sorted run reuses whatever its top digits share with this one.
  struct Decoded {
    Key key = 0;
    Key digit[maxPieceGroups] = {};
    // base[g]: the key with digits g and below zeroed; takenBefore[g]: the
    // cells of the groups above g. Valid for levels up to `valid`.
    Key base[maxPieceGroups] = {};
    CellMask takenBefore[maxPieceGroups] = {};
    int valid = 0;
    // Counts the keys whose digits above the last differed from the key
    // before: while it stays, only the last group's pieces have moved.
    uint32_t upperChanges = 0;
    uint8_t index[maxLoggedPieces] = {};  // the rank index of each piece
    uint8_t cell[maxLoggedPieces] = {};   // its origin cell
    CellMask taken = 0;                   // cells of every group but the last
    CellMask occupied = 0;                // cells of every piece
    uint8_t freeCells[maxBoardCells] = {};
    uint8_t freeIndex[maxBoardCells] = {};  // of a cell not taken, among those
  };

  // The codec of the board of `geometry` with the pieces of `groups`; its
  // table of the last group's choices is charged to `budget`, and left out
  // when it would take more than a quarter of it.
  CompactCodec(const PieceGroups& groups, const BoardGeometry<CellMask>& geometry,
               MemoryBudget& budget)
      : groups_(groups), geometry_(geometry), tableCharge_(&budget) {
    boardCells_ = 0;
    for (int c = 0; c < geometry.size.cellCount(); ++c) boardCells_ |= CellMask{1} << c;
    for (int s = 0; s < shapeCount; ++s) {
      std::fill(std::begin(originIndex_[s]), std::end(originIndex_[s]), uint8_t{0xFF});
      for (int c = 0; c < geometry.size.cellCount(); ++c) {
        if (geometry.mask[s][c] == 0) continue;
        originIndex_[s][c] = static_cast<uint8_t>(origins_[s]);
        originCell_[s][origins_[s]++] = static_cast<uint8_t>(c);
      }
      // A cell lies below a piece's cell when it lies further than that
      // cell's offset from the origin.
      for (int distance = 1; distance <= maxBoardCells; ++distance) {
        int8_t below = 0;
        for (int o = 0; o < geometry.offsetCount[s]; ++o)
          below += geometry.offsets[s][o] < distance;
        cellsBelow_[s][maxBoardCells + distance] = below;
      }
    }
    int takenCells = 0;
    for (int g = 0; g < groups.groupCount; ++g) {
      if (!groups.groups[g].singles) {
        takenCells += groups.groups[g].count * catalogShape(groups.groups[g].shape).cellCount;
      }
    }
    freeCount_ = geometry.size.cellCount() - takenCells;
    // Radices from the last digit up; fits_ fails when the product passes Key.
    Key multiplier = 1;
    fits_ = true;
    for (int g = groups.groupCount - 1; g >= 0; --g) {
      const PieceGroup& group = groups.groups[g];
      const int universe = group.singles ? freeCount_ : origins_[group.shape];
      universe_[g] = universe;
      const Key radix = universe < group.count ? Key{1} : binomials_.c[universe][group.count];
      if (radix == ~Key{0} || multiplier > (~Key{0}) / radix) fits_ = false;
      multiplier_[g] = multiplier;
      radix_[g] = radix;
      multiplier = fits_ ? multiplier * radix : 0;
    }
    tabulateLastGroup();
  }

  // Whether every key of this board fits in Key.
  bool fits() const { return fits_; }

  // The bits a key may use: every key is below 2^keyBits().
  int keyBits() const {
    Key largest = multiplier_[0] * radix_[0] - 1;
    int bits = 0;
    while (largest != 0) {
      ++bits;
      largest >>= 1;
    }
    return bits;
  }

  // The key of a position given by origin cell for each piece, in the
  // board's own order.
  Key encode(const uint8_t* cells) const {
    uint8_t idx[maxPieceGroups][maxLoggedPieces];
    int filled[maxPieceGroups] = {};
    CellMask taken = 0;
    for (int i = 0; i < groups_.pieceCount; ++i) {
      const int g = groups_.groupOfLabel[i];
      const int shape = groups_.groups[g].shape;
      if (!groups_.groups[g].singles) {
        idx[g][filled[g]++] = originIndex_[shape][cells[i]];
        taken |= geometry_.mask[shape][cells[i]];
      }
    }
    Key key = 0;
    for (int g = 0; g < groups_.groupCount; ++g) {
      if (groups_.groups[g].singles) continue;
      std::sort(idx[g], idx[g] + filled[g]);
      key += binomials_.rank(idx[g], filled[g]) * multiplier_[g];
    }
    if (!groups_.hasSingles()) return key;
    const int g = groups_.groupCount - 1;
    for (int i = 1; i < groups_.pieceCount; ++i) {
      if (groups_.groupOfLabel[i] == g) idx[g][filled[g]++] = freeIndex(taken, cells[i]);
    }
    std::sort(idx[g], idx[g] + filled[g]);
    return key + binomials_.rank(idx[g], filled[g]);
  }

  // Decodes `key`; the levels whose digits did not change since the key `d`
  // last held are kept, so decoding a sorted run costs little more than its
  // last digit.
  // Inlined into the expansion's loop like childKey(), whatever the compiler
  // would judge: calls to them cost a few percent of a search.
  [[gnu::always_inline]] void decode(const Key& key, Decoded& d) const {
    const int last = groups_.groupCount - 1;
    int level = std::min(d.valid, last);
    while (level > 0 && (key < d.base[level] || key - d.base[level] >= multiplier_[level - 1])) {
      --level;
    }
    if (level < last) {
      decodeLevels(key, level, d);
      ++d.upperChanges;
    }
    d.key = key;
    d.digit[last] = key - d.base[last];
    const PieceGroup& group = groups_.groups[last];
    if (!lastChoices_) {
      binomials_.unrank(d.digit[last], group.count, universe_[last], d.index + group.first);
    } else {
      uint64_t chosen = choices()[static_cast<size_t>(d.digit[last])];
      for (int k = group.first; chosen != 0; chosen &= chosen - 1) {
        d.index[k++] = static_cast<uint8_t>(__builtin_ctzll(chosen));
      }
    }
    CellMask occupied = d.taken;
    for (int k = group.first; k < group.first + group.count; ++k) {
      d.cell[k] = group.singles ? d.freeCells[d.index[k]] : originCell_[group.shape][d.index[k]];
      occupied |= geometry_.mask[group.shape][d.cell[k]];
    }
    d.occupied = occupied;
  }

  // The key after canonical piece k of `d` moves to origin `to`, one step
  // away or any further origin the other pieces leave it room for; `movedTo`
  // is the piece's canonical index in the child.
  [[gnu::always_inline]] Key childKey(const Decoded& d, int k, uint8_t to, int& movedTo) const {
    const int g = groups_.groupOf[k];
    const PieceGroup& group = groups_.groups[g];
    const int last = groups_.groupCount - 1;
    int placedAt = 0;
    if (group.singles) {
      const Key digit = binomials_.rankReplaced(d.index + group.first, group.count, k - group.first,
                                                d.freeIndex[to], d.digit[last], placedAt);
      movedTo = group.first + placedAt;
      return d.key - d.digit[last] + digit;
    }
    const Key digit = binomials_.rankReplaced(d.index + group.first, group.count, k - group.first,
                                              originIndex_[group.shape][to], d.digit[g], placedAt);
    movedTo = group.first + placedAt;
    Key key = d.key + (digit * multiplier_[g] - d.digit[g] * multiplier_[g]);
    if (!groups_.hasSingles()) return key;
    // The single cells keep their order; each one's index among the free
    // cells grows by the cells the move frees below it and shrinks by the
    // cells it takes below it: by the piece's cells below it at its origin
    // before, less those after, whatever the length of the move.
    const int8_t* const before = cellsBelow_[group.shape] + maxBoardCells - d.cell[k];
    const int8_t* const after = cellsBelow_[group.shape] + maxBoardCells - to;
    const PieceGroup& singles = groups_.groups[last];
    Key singlesDigit = 0;
    for (int j = 0; j < singles.count; ++j) {
      const int cell = d.cell[singles.first + j];
      const int index = d.index[singles.first + j] + before[cell] - after[cell];
      singlesDigit += binomials_.c[index][j + 1];
    }
    return key - d.digit[last] + singlesDigit;
  }

  // The keys, first to last inclusive, of the positions where piece 0
  // stands at origin `cell`; false when its shape cannot stand there.
  bool pieceZeroRange(int cell, Key& first, Key& last) const {
    if (cell < 0 || cell >= geometry_.size.cellCount()) return false;
    const uint8_t index = originIndex_[groups_.groups[0].shape][cell];
    if (index == 0xFF) return false;
    first = Key{index} * multiplier_[0];
    last = first + (multiplier_[0] - 1);
    return true;
  }

 private:
  // The last digit changes from one key of a run to the next, so when its
  // choices are few enough, each one's set of indices is kept as a bit mask.
  // Ranks count the sets in the order of their masks (the sum of C(idx[i],
  // i + 1) over ascending indices), so each mask is the next larger one with
  // as many bits as the mask before.
  void tabulateLastGroup() {
    const int last = groups_.groupCount - 1;
    const int n = groups_.groups[last].count;
    if (!fits_ || universe_[last] > 64 || radix_[last] > Key{1} << 20) return;
    const size_t count = static_cast<size_t>(radix_[last]);
    // decode() unranks instead when the table is not there.
    const MemoryBudget& budget = *tableCharge_.budget();
    const size_t bytes = count * sizeof(uint64_t);
    if (bytes > budget.limit() / 4 || !tableCharge_.add(bytes)) return;
    // In huge pages from 2 MB on: filling small ones would cost more than
    // computing the masks.
    lastChoices_ = ByteBuffer(bytes);
    if (!lastChoices_) {
      tableCharge_.release();
      return;
    }
    uint64_t* const masks = choices();
    uint64_t chosen = n >= 64 ? ~uint64_t{0} : (uint64_t{1} << n) - 1;
    masks[0] = chosen;
    for (size_t r = 1; r < count; ++r) {
      // The lowest run of ones: its top bit moves up one place, the rest
      // drop to the bottom.
      const uint64_t carried = chosen + (chosen & (~chosen + 1));
      chosen = carried | ((carried ^ chosen) >> (2 + __builtin_ctzll(chosen)));
      masks[r] = chosen;
    }
  }

  // Decodes the digits from `level` to the one before the last, and the
  // cells they leave free.
  void decodeLevels(const Key& key, int level, Decoded& d) const {
    const int last = groups_.groupCount - 1;
    Key rest = key - d.base[level];
    CellMask taken = d.takenBefore[level];
    for (int g = level; g < last; ++g) {
      const PieceGroup& group = groups_.groups[g];
      const Key digit = rest / multiplier_[g];
      rest -= digit * multiplier_[g];
      if (g >= d.valid || digit != d.digit[g]) {
        d.digit[g] = digit;
        binomials_.unrank(digit, group.count, universe_[g], d.index + group.first);
        for (int k = group.first; k < group.first + group.count; ++k) {
          d.cell[k] = originCell_[group.shape][d.index[k]];
        }
      }
      for (int k = group.first; k < group.first + group.count; ++k) {
        taken |= geometry_.mask[group.shape][d.cell[k]];
      }
      d.base[g + 1] = d.base[g] + digit * multiplier_[g];
      d.takenBefore[g + 1] = taken;
    }
    d.valid = last;
    d.taken = taken;
    if (!groups_.hasSingles()) return;
    int free = 0;
    for (CellMask left = boardCells_ & ~taken; left != 0; left &= left - 1) {
      const int c = BoardGeometry<CellMask>::lowestCell(left);
      d.freeIndex[c] = static_cast<uint8_t>(free);
      d.freeCells[free++] = static_cast<uint8_t>(c);
    }
  }

  // The number of cells below `cell` that `taken` leaves free.
  uint8_t freeIndex(CellMask taken, int cell) const {
    const CellMask below = (CellMask{1} << cell) - 1;
    return static_cast<uint8_t>(popcount(boardCells_ & ~taken & below));
  }

  // Set bits, by plain arithmetic: the default build targets every x86-64,
  // whose first models have no popcount instruction.
  static int popcount64(uint64_t v) {
    v = v - ((v >> 1) & 0x5555555555555555ull);
    v = (v & 0x3333333333333333ull) + ((v >> 2) & 0x3333333333333333ull);
    v = (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<int>((v * 0x0101010101010101ull) >> 56);
  }
  static int popcount(CellMask m) {
    if constexpr (sizeof(CellMask) <= 8) {
      return popcount64(static_cast<uint64_t>(m));
    } else {
      return popcount64(static_cast<uint64_t>(m)) + popcount64(static_cast<uint64_t>(m >> 64));
    }
  }

  const PieceGroups& groups_;
  const BoardGeometry<CellMask>& geometry_;
  Binomials<Key> binomials_;
  CellMask boardCells_ = 0;
  uint8_t originIndex_[shapeCount][maxBoardCells];
  uint8_t originCell_[shapeCount][maxBoardCells] = {};
  // By shape and distance d from an origin, plus maxBoardCells: how many of
  // the shape's cells there lie below the cell at that distance.
  int8_t cellsBelow_[shapeCount][2 * maxBoardCells + 1] = {};
  int origins_[shapeCount] = {};
  int freeCount_ = 0;
  int universe_[maxPieceGroups] = {};
  Key radix_[maxPieceGroups] = {};
  Key multiplier_[maxPieceGroups] = {};
  bool fits_ = true;
  uint64_t* choices() const { return reinterpret_cast<uint64_t*>(lastChoices_.get()); }
  ByteBuffer lastChoices_;  // by rank: the indices chosen, as bits
  BudgetCharge tableCharge_;
};

// Every key and cell mask the layered search is built for, as X(Key,
// CellMask): the files that instantiate its templates list them from here.
#define FOR_EACH_LAYERED_CODEC(X) \
  X(uint64_t, uint64_t)           \
  X(Key128, uint64_t)             \
  X(Key192, uint64_t)             \
  X(uint64_t, CellMask128)        \
  X(Key128, CellMask128)          \
  X(Key192, CellMask128)
