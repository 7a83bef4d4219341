// Sorting the children of a layer: a least-significant-digit radix sort of
// 64- or 128-bit keys, eleven bits a pass over the bits the keys use,
// skipping the passes in which all keys agree. It needs a scratch buffer as
// large as the keys, and is several times faster than a comparison sort on
// the tens of millions of keys of a layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

// Sorts keys[0..count) ascending by their bits from `lowBit` up, using
// scratch[0..count); every key must be below 2^bits. Keys that differ only
// below `lowBit` keep no particular order. The sorted keys end in `keys`.
// `between()` is called between passes (to poll for a stop).
template <typename Key, typename Between>
void radixSort(Key* keys, Key* scratch, size_t count, int lowBit, int bits, Between between) {
  constexpr int digitBits = 11;
  constexpr size_t digits = size_t{1} << digitBits;
  if (count < 2) return;
  const int passes = bits <= lowBit ? 1 : (bits - lowBit + digitBits - 1) / digitBits;
  std::vector<size_t> counts(static_cast<size_t>(passes) * digits, 0);
  for (size_t i = 0; i < count; ++i) {
    const Key key = keys[i];
    for (int p = 0; p < passes; ++p) {
      ++counts[p * digits + static_cast<size_t>(key >> (lowBit + digitBits * p)) % digits];
    }
  }
  Key* from = keys;
  Key* to = scratch;
  for (int p = 0; p < passes; ++p) {
    size_t* bucket = counts.data() + p * digits;
    const int shift = lowBit + digitBits * p;
    if (bucket[static_cast<size_t>(from[0] >> shift) % digits] == count) continue;  // all agree
    size_t start = 0;
    for (size_t b = 0; b < digits; ++b) {
      const size_t n = bucket[b];
      bucket[b] = start;
      start += n;
    }
    for (size_t i = 0; i < count; ++i) {
      const Key key = from[i];
      to[bucket[static_cast<size_t>(key >> shift) % digits]++] = key;
    }
    std::swap(from, to);
    between();
  }
  if (from != keys) std::memcpy(keys, from, count * sizeof(Key));
}
