// The keys of the layered search and how a sorted run of them is stored.
//
// A key is one integer per position (see CompactCodec.h): 64 bits when the
// board's positions fit, 128 bits beyond, and three words (WideKey.h) for
// the crowded boards whose positions do not fit 128 bits either. Keys are
// kept in sorted runs, so each key after the first is stored as its gap to
// the previous one, seven bits a byte (LEB128): a few bytes per position.
#pragma once

#include <cstdint>

#include "WideKey.h"

using Key128 = unsigned __int128;

// Whether `key` is below 2^64.
inline bool fitsWord(uint64_t) { return true; }
inline bool fitsWord(Key128 key) { return static_cast<uint64_t>(key >> 64) == 0; }
template <int words>
bool fitsWord(const WideKey<words>& key) {
  return key.fitsWord();
}

// How a key is written after the key before it in a sorted run. The gap is
// at least 1 (runs hold no duplicates); at most maxBytes bytes.
template <typename Key>
struct KeyCoding {
  static constexpr int maxBytes = (8 * sizeof(Key) + 6) / 7;

  // Wide keys' gaps mostly fit 64 bits, whose arithmetic is cheaper: they
  // take a path of their own, writing the same bytes.
  static uint8_t* put(uint8_t* out, const Key& previous, const Key& key) {
    const Key gap = key - previous;
    if constexpr (sizeof(Key) > 8) {
      if (fitsWord(gap)) return putGap(out, static_cast<uint64_t>(gap));
    }
    return putGap(out, gap);
  }

  static const uint8_t* get(const uint8_t* in, const Key& previous, Key& key) {
    uint64_t gap = 0;
    int shift = 0;
    uint8_t byte;
    do {
      byte = *in++;
      gap |= static_cast<uint64_t>(byte & 0x7F) << shift;
      shift += 7;
    } while ((byte & 0x80) && shift < 63);
    if (!(byte & 0x80)) {
      key = previous + gap;
      return in;
    }
    // Beyond 63 bits: a wide key's long gap.
    Key wide = gap;
    do {
      byte = *in++;
      wide |= static_cast<Key>(byte & 0x7F) << shift;
      shift += 7;
    } while (byte & 0x80);
    key = previous + wide;
    return in;
  }

 private:
  template <typename Gap>
  static uint8_t* putGap(uint8_t* out, Gap gap) {
    while (gap >= 0x80) {
      *out++ = static_cast<uint8_t>(gap) | 0x80;
      gap >>= 7;
    }
    *out++ = static_cast<uint8_t>(gap);
    return out;
  }
};
