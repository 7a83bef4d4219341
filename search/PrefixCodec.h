// Positions as 64-bit keys for boards whose compact keys need more: the
// number of the key's top digits in a dictionary of the prefixes met
// (PrefixDictionary.h), then the low digits as they are. The low digits are
// the last groups, the single cells among them, whose values change most
// from one position to the next; they span at most 2^24 keys, so a key
// leaves room for a back move (LayerExpansion.h) up to 2^32 prefixes.
//
// Decoding and moves go through the compact key (CompactCodec.h): a move of
// a low group keeps the prefix; a move of a top group asks the dictionary,
// once per prefix and move, since the positions of one prefix come one after
// another in a layer.
#pragma once

#include <cstdint>

#include "CompactCodec.h"
#include "PrefixDictionary.h"

template <typename CellMask>
class PrefixCodec {
  using Wide = CompactCodec<Key128, CellMask>;

 public:
  using KeyType = uint64_t;
  static constexpr int lowSpanBits = 24;

  struct Decoded : Wide::Decoded {
    uint64_t number = UINT64_MAX;  // the prefix number of the last key decoded
    // The prefix numbers that moves (4 * piece + direction) of top groups
    // lead to from that prefix, or -1; `touched` lists those set.
    int64_t movedNumber[4 * maxLoggedPieces];
    uint16_t touched[4 * maxLoggedPieces];
    int touchedCount = 0;
    Decoded() { std::fill(std::begin(movedNumber), std::end(movedNumber), -1); }
  };

  PrefixCodec(const Wide& wide, PrefixDictionary& dictionary)
      : wide_(wide), dictionary_(dictionary) {
    // The low digits: the last levels whose span stays within 2^24.
    split_ = wide.levels() - 1;
    while (split_ > 1 && wide.span(split_ - 1) <= (Key128{1} << lowSpanBits)) --split_;
    lowSpan_ = static_cast<uint64_t>(wide.span(split_));
  }

  // Whether this board's low digits are few enough, so that prefixes repeat.
  bool fits() const { return wide_.fits() && lowSpan_ <= (uint64_t{1} << lowSpanBits); }
  int keyBits() const { return 32 + bitsOf(lowSpan_ - 1); }

  uint64_t encode(const uint8_t* cells) const {
    typename Wide::Decoded d;
    const Key128 wideKey = wide_.encode(cells);
    wide_.decode(wideKey, d);
    return keyOf(d.base[split_], static_cast<uint64_t>(wideKey - d.base[split_]), d.cell[0]);
  }

  void decode(const uint64_t& key, Decoded& d) const {
    const uint64_t number = key / lowSpan_;
    const uint64_t low = key - number * lowSpan_;
    if (number != d.number) {
      d.number = number;
      for (int i = 0; i < d.touchedCount; ++i) d.movedNumber[d.touched[i]] = -1;
      d.touchedCount = 0;
    }
    wide_.decode(dictionary_.prefix(static_cast<uint32_t>(number)) + low, d);
  }

  uint64_t childKey(const Decoded& d, int k, uint8_t to, int& movedTo) const {
    Key128 base;
    const Key128 child = wide_.childKey(d, k, to, movedTo, split_, base);
    const uint64_t low = static_cast<uint64_t>(child - base);
    if (base == d.base[split_]) return d.number * lowSpan_ + low;
    const int move = 4 * k + direction(d.cell[k], to);
    int64_t& known = const_cast<Decoded&>(d).movedNumber[move];
    if (known < 0) {
      Decoded& cache = const_cast<Decoded&>(d);
      uint32_t number;
      if (!dictionary_.numberOf(base, pieceZeroAfter(d, k, to), number)) return failed;
      known = number;
      cache.touched[cache.touchedCount++] = static_cast<uint16_t>(move);
    }
    return static_cast<uint64_t>(known) * lowSpan_ + low;
  }

  // Keys are not ordered by piece 0: there is no range of goal keys.
  bool pieceZeroRange(int, uint64_t&, uint64_t&) const { return false; }
  int pieceZeroCell(const uint64_t& key) const {
    return dictionary_.pieceZero(static_cast<uint32_t>(key / lowSpan_));
  }

  // The key childKey gives when the dictionary cannot grow.
  static constexpr uint64_t failed = UINT64_MAX;

 private:
  uint64_t keyOf(const Key128& base, uint64_t low, uint8_t pieceZero) const {
    uint32_t number;
    if (!dictionary_.numberOf(base, pieceZero, number)) return failed;
    return number * lowSpan_ + low;
  }
  uint8_t pieceZeroAfter(const Decoded& d, int k, uint8_t to) const {
    return static_cast<uint8_t>(k == 0 ? to : d.cell[0]);
  }
  static int direction(int from, int to) {
    const int difference = to - from;
    if (difference == 1) return 0;
    if (difference == -1) return 1;
    return difference > 0 ? 2 : 3;
  }
  static int bitsOf(uint64_t value) {
    int bits = 0;
    for (; value != 0; value >>= 1) ++bits;
    return bits;
  }

  const Wide& wide_;
  PrefixDictionary& dictionary_;
  int split_ = 1;
  uint64_t lowSpan_ = 1;
};
