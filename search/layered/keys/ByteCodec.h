// Positions as one byte per piece, for the crowded boards whose compact keys
// (CompactCodec.h) would not fit 128 bits: each piece's origin cell, in
// canonical order (PieceGroups.h), so that exchanges of equal pieces give the
// same key. Piece 0 comes first, so the goal positions share one key range.
#pragma once

#include <algorithm>
#include <cstdint>

#include "KeyCoding.h"
#include "search/core/BoardGeometry.h"
#include "search/core/PieceGroups.h"

template <typename CellMask>
class ByteCodec {
 public:
  using KeyType = ByteKey;

  static constexpr bool keepsUpperGroups = false;

  struct Decoded {
    ByteKey key;
    uint8_t cell[maxLoggedPieces] = {};
    CellMask occupied = 0;
  };

  ByteCodec(const PieceGroups& groups, const BoardGeometry<CellMask>& geometry)
      : groups_(groups), geometry_(geometry) {}

  bool fits() const { return groups_.pieceCount <= 8 * ByteKey::words; }
  int keyBits() const { return 8 * groups_.pieceCount; }

  ByteKey encode(const uint8_t* cells) const {
    uint8_t canonical[maxLoggedPieces];
    int filled[maxPieceGroups] = {};
    for (int i = 0; i < groups_.pieceCount; ++i) {
      const PieceGroup& group = groups_.groups[i == 0 ? 0 : groups_.groupOfLabel[i]];
      canonical[group.first + filled[i == 0 ? 0 : groups_.groupOfLabel[i]]++] = cells[i];
    }
    for (int g = 0; g < groups_.groupCount; ++g) {
      const PieceGroup& group = groups_.groups[g];
      std::sort(canonical + group.first, canonical + group.first + group.count);
    }
    return pack(canonical);
  }

  void decode(const ByteKey& key, Decoded& d) const {
    d.key = key;
    CellMask occupied = 0;
    for (int k = 0; k < groups_.pieceCount; ++k) {
      d.cell[k] = key.byte(k);
      occupied |= geometry_.mask[groups_.shapeOf[k]][d.cell[k]];
    }
    d.occupied = occupied;
  }

  ByteKey childKey(const Decoded& d, int k, uint8_t to, int& movedTo) const {
    uint8_t canonical[maxLoggedPieces];
    std::copy(d.cell, d.cell + groups_.pieceCount, canonical);
    canonical[k] = to;
    const PieceGroup& group = groups_.groups[groups_.groupOf[k]];
    std::sort(canonical + group.first, canonical + group.first + group.count);
    movedTo = static_cast<int>(
        std::find(canonical + group.first, canonical + group.first + group.count, to) - canonical);
    return pack(canonical);
  }

  bool pieceZeroRange(int cell, ByteKey& first, ByteKey& last) const {
    if (cell < 0 || cell >= geometry_.size.cellCount()) return false;
    if (geometry_.mask[groups_.groups[0].shape][cell] == 0) return false;
    first = ByteKey();
    first.setByte(0, static_cast<uint8_t>(cell));
    last = first;
    last.w[0] |= (uint64_t{1} << 56) - 1;
    for (int i = 1; i < ByteKey::words; ++i) last.w[i] = ~uint64_t{0};
    return true;
  }

 private:
  // Unused bytes stay 0, so keys of one board compare by their pieces alone.
  ByteKey pack(const uint8_t* canonical) const {
    ByteKey key;
    for (int k = 0; k < groups_.pieceCount; ++k) key.setByte(k, canonical[k]);
    return key;
  }

  const PieceGroups& groups_;
  const BoardGeometry<CellMask>& geometry_;
};
