// Back moves: the moves that lead from a child back into the layer before,
// kept beside its key so that expanding the child skips them (see the
// design note, docs/layered-search.md).
//
// Four back moves fit a 32-bit word, a byte each (canonical piece * 4 +
// direction) from the lowest; 0xFF is none.
#pragma once

#include <cstdint>

constexpr uint32_t noBackMoves = 0xFFFFFFFF;
constexpr int maxBackBytes = 4;

// Whether some byte of `backs` equals `move`.
inline bool holdsBack(uint32_t backs, uint32_t move) {
  const uint32_t x = backs ^ (move * 0x01010101u);
  return ((x - 0x01010101u) & ~x & 0x80808080u) != 0;
}

// `backs` with those of `more` it lacks, up to `most` in all.
inline uint32_t joinBacks(uint32_t backs, uint32_t more, int most) {
  // A child's own back moves differ from each other.
  if (backs == noBackMoves && most == maxBackBytes) return more;
  int count = 0;
  while (count < maxBackBytes && (backs >> (8 * count) & 0xFF) != 0xFF) ++count;
  for (; more != noBackMoves && count < most; more = more >> 8 | 0xFF000000u) {
    const uint32_t back = more & 0xFF;
    if (holdsBack(backs, back)) continue;
    backs = (backs & ~(0xFFu << (8 * count))) | back << (8 * count);
    ++count;
  }
  return backs;
}

// Folds a sorted stream of keys with back moves into one entry per key, its
// back moves joined (up to `most`): settle(key, backs) gets each key once
// the next one comes, and finish() the last. Either stops the fold when
// settle returns false.
template <typename Key, typename Settle>
class BackFold {
 public:
  BackFold(int most, Settle settle) : most_(most), settle_(settle) {}

  bool take(const Key& key, uint32_t backs) {
    if (!pending_ || key != current_) {
      if (pending_ && !settle_(current_, joined_)) return false;
      pending_ = true;
      current_ = key;
      joined_ = noBackMoves;
    }
    joined_ = joinBacks(joined_, backs, most_);
    return true;
  }
  bool finish() {
    if (!pending_) return true;
    pending_ = false;
    return settle_(current_, joined_);
  }

 private:
  const int most_;
  Settle settle_;
  bool pending_ = false;
  Key current_{};
  uint32_t joined_ = noBackMoves;
};

template <typename Key, typename Settle>
BackFold<Key, Settle> foldBacks(int most, Settle settle) {
  return BackFold<Key, Settle>(most, settle);
}
