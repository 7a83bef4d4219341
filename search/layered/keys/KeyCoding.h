// The keys of the layered search and how a sorted run of them is stored.
//
// A key is one integer per position (see CompactCodec.h): 64 bits when the
// board's positions fit, 128 bits beyond, and a byte per piece (ByteKey) for
// the few crowded boards whose positions do not fit 128 bits either. Keys are
// kept in sorted runs, so each key after the first is stored as its gap to
// the previous one, seven bits a byte (LEB128): a few bytes per position.
#pragma once

#include <cstdint>
#include <cstring>

using Key128 = unsigned __int128;

// A position as one byte per piece, compared as a big-endian byte string.
struct ByteKey {
  static constexpr int words = 8;
  uint64_t w[words] = {};

  bool operator<(const ByteKey& o) const {
    for (int i = 0; i < words; ++i) {
      if (w[i] != o.w[i]) return w[i] < o.w[i];
    }
    return false;
  }
  bool operator==(const ByteKey& o) const { return std::memcmp(w, o.w, sizeof w) == 0; }
  bool operator!=(const ByteKey& o) const { return !(*this == o); }
  uint8_t byte(int i) const { return static_cast<uint8_t>(w[i / 8] >> (56 - 8 * (i % 8))); }
  void setByte(int i, uint8_t value) {
    const int shift = 56 - 8 * (i % 8);
    w[i / 8] = (w[i / 8] & ~(uint64_t{0xFF} << shift)) | (uint64_t{value} << shift);
  }
};

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
      if (static_cast<uint64_t>(gap >> 64) == 0) return putGap(out, static_cast<uint64_t>(gap));
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

// Byte keys are few and stored whole.
template <>
struct KeyCoding<ByteKey> {
  static constexpr int maxBytes = sizeof(ByteKey);

  static uint8_t* put(uint8_t* out, const ByteKey&, const ByteKey& key) {
    std::memcpy(out, key.w, sizeof key.w);
    return out + sizeof key.w;
  }
  static const uint8_t* get(const uint8_t* in, const ByteKey&, ByteKey& key) {
    std::memcpy(key.w, in, sizeof key.w);
    return in + sizeof key.w;
  }
};
