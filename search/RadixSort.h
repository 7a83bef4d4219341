// Sorting the children of a layer: a least-significant-digit radix sort of
// 64-bit keys, a byte a pass, skipping the bytes in which all keys agree.
// It needs a scratch buffer as large as the keys, and is several times
// faster than a comparison sort on the tens of millions of keys of a layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

// Sorts keys[0..count) ascending, using scratch[0..count); every key must be
// below 2^bits. The sorted keys end in `keys`. `between()` is called between
// passes (to poll for a stop).
template <typename Between>
void radixSort(uint64_t* keys, uint64_t* scratch, size_t count, int bits, Between between) {
  if (count < 2) return;
  const int passes = bits <= 8 ? 1 : (bits + 7) / 8;
  size_t counts[8][256];
  std::memset(counts, 0, sizeof counts);
  for (size_t i = 0; i < count; ++i) {
    const uint64_t key = keys[i];
    for (int p = 0; p < passes; ++p) ++counts[p][(key >> (8 * p)) & 0xFF];
  }
  uint64_t* from = keys;
  uint64_t* to = scratch;
  for (int p = 0; p < passes; ++p) {
    size_t* bucket = counts[p];
    if (bucket[(from[0] >> (8 * p)) & 0xFF] == count) continue;  // every key agrees here
    size_t start = 0;
    for (int b = 0; b < 256; ++b) {
      const size_t n = bucket[b];
      bucket[b] = start;
      start += n;
    }
    const int shift = 8 * p;
    for (size_t i = 0; i < count; ++i) {
      const uint64_t key = from[i];
      to[bucket[(key >> shift) & 0xFF]++] = key;
    }
    std::swap(from, to);
    between();
  }
  if (from != keys) std::memcpy(keys, from, count * sizeof(uint64_t));
}
