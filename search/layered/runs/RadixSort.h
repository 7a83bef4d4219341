// Sorting the children of a layer: a radix sort of keys of one to three
// words that reads the top digit first while a range of keys is larger than
// the cache, then sorts each range that fits from its lowest digit up. So only the
// first pass or two go out to memory; on a layer's tens of millions of wide
// keys, with six or seven passes in all, most of them then stay in the cache.
// Passes in which all keys agree are skipped. It needs a scratch buffer as
// large as the keys, and is several times faster than a comparison sort.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "search/layered/keys/WideKey.h"

namespace radix_detail {

constexpr int topDigitBits = 11;
// Keys and their scratch together under this many bytes sort in the cache.
constexpr size_t cachedBytes = size_t{1} << 20;
// Ranges this short are sorted by insertion.
constexpr size_t shortRange = 32;

template <typename Key, typename Between>
class Sorter {
 public:
  Sorter(int lowBit, Between& between) : lowBit_(lowBit), between_(between) {}

  // Sorts the keys in data[0..n) by their bits from lowBit_ up to `high`,
  // using other[0..n) as scratch. They end in `data` when `intoData`, else
  // in `other`.
  void sort(Key* data, Key* other, size_t n, int high, bool intoData) {
    if (n > shortRange) high = std::min(high, highestVarying(data, n));
    if (n <= shortRange || high <= lowBit_) {
      if (high > lowBit_) insertionSort(data, n);
      if (!intoData) std::memcpy(other, data, n * sizeof(Key));
      return;
    }
    const bool cached = 2 * n * sizeof(Key) <= cachedBytes;
    if (high - lowBit_ <= topDigitBits || (cached && !splitsInCache(high))) {
      leastDigitFirst(data, other, n, high, intoData);
      return;
    }
    // The top digit, which holds the highest bit that varies, splits the
    // range; each part is then sorted on its own.
    const int digitBits = cached && n < 4096 ? 8 : topDigitBits;
    const int shift = std::max(lowBit_, high - digitBits);
    const size_t digits = size_t{1} << (high - shift);
    std::vector<size_t> start(digits + 1, 0);
    for (size_t i = 0; i < n; ++i) ++start[digitOf(data[i], shift, digits) + 1];
    for (size_t d = 0; d < digits; ++d) start[d + 1] += start[d];
    std::vector<size_t> next(start.begin(), start.end() - 1);
    for (size_t i = 0; i < n; ++i) {
      const Key key = data[i];
      other[next[digitOf(key, shift, digits)]++] = key;
    }
    between_();
    for (size_t d = 0; d < digits; ++d) {
      const size_t begin = start[d];
      const size_t count = start[d + 1] - begin;
      if (count > 0) sort(other + begin, data + begin, count, shift, !intoData);
    }
  }

 private:
  // Whether a range that fits the cache is split further by its top digit
  // rather than sorted from its lowest digit up: for three words, whose
  // many low passes would each read the whole range, when more than three
  // passes' bits vary; the top digit mostly parts them into ranges so short
  // that they are sorted by insertion.
  bool splitsInCache(int high) const { return isWideKey<Key> && high - lowBit_ > 3 * topDigitBits; }

  static size_t digitOf(const Key& key, int shift, size_t digits) {
    if constexpr (isWideKey<Key>) {
      return static_cast<size_t>(key.bitsFrom(shift)) & (digits - 1);
    } else {
      return static_cast<size_t>(key >> shift) & (digits - 1);
    }
  }

  // One above the highest bit in which some keys differ; 0 when all agree.
  static int highestVarying(const Key* keys, size_t n) {
    Key differ = 0;
    for (size_t i = 1; i < n; ++i) differ |= keys[i] ^ keys[0];
    if constexpr (isWideKey<Key>) {
      return differ.bitLength();
    } else if constexpr (sizeof(Key) > 8) {
      const uint64_t top = static_cast<uint64_t>(differ >> 64);
      if (top != 0) return 128 - __builtin_clzll(top);
    }
    const uint64_t low = static_cast<uint64_t>(differ);
    return low == 0 ? 0 : 64 - __builtin_clzll(low);
  }

  void insertionSort(Key* keys, size_t n) const {
    for (size_t i = 1; i < n; ++i) {
      const Key key = keys[i];
      const Key rank = key >> lowBit_;
      size_t j = i;
      for (; j > 0 && rank < keys[j - 1] >> lowBit_; --j) keys[j] = keys[j - 1];
      keys[j] = key;
    }
  }

  // One stable pass: the counts of `bucket` by digit become each digit's
  // first place, and the items of from[0..n) go there in their order.
  template <typename Item, typename DigitOf>
  static void scatter(const Item* from, Item* to, size_t n, size_t* bucket, size_t digits,
                      DigitOf digitOf) {
    size_t begin = 0;
    for (size_t b = 0; b < digits; ++b) {
      const size_t count = bucket[b];
      bucket[b] = begin;
      begin += count;
    }
    for (size_t i = 0; i < n; ++i) {
      const Item item = from[i];
      to[bucket[digitOf(item)]++] = item;
    }
  }

  // Stable passes from the lowest digit up; digits sized to the range, so
  // that short ranges do not pay for wide count tables.
  void leastDigitFirst(Key* data, Key* other, size_t n, int high, bool intoData) {
    if constexpr (sizeof(Key) == 2 * sizeof(uint64_t) && !isWideKey<Key>) {
      if (n <= tagged && high - lowBit_ <= 64 - tagBits) {
        sortByTags(data, other, n, high, intoData);
        return;
      }
    }
    const int digitBits = n < 4096 ? 8 : 11;
    const size_t digits = size_t{1} << digitBits;
    const int passes = (high - lowBit_ + digitBits - 1) / digitBits;
    counts_.assign(static_cast<size_t>(passes) * digits, 0);
    // Above `high`, the keys of a part hold the digits it was split by, the
    // same in all: the top pass may read them, its buckets just shift.
    int shifts[8 * sizeof(Key)];
    for (int p = 0; p < passes; ++p) shifts[p] = lowBit_ + digitBits * p;
    const auto digit = [&](const Key& key, int p) { return digitOf(key, shifts[p], digits); };
    for (size_t i = 0; i < n; ++i) {
      const Key key = data[i];
      for (int p = 0; p < passes; ++p) ++counts_[p * digits + digit(key, p)];
    }
    Key* from = data;
    Key* to = other;
    for (int p = 0; p < passes; ++p) {
      size_t* bucket = counts_.data() + p * digits;
      if (bucket[digit(from[0], p)] == n) continue;  // all agree
      scatter(from, to, n, bucket, digits, [&](const Key& key) { return digit(key, p); });
      std::swap(from, to);
    }
    Key* const wanted = intoData ? data : other;
    if (from != wanted) std::memcpy(wanted, from, n * sizeof(Key));
    sorted_ += n;
    if (sorted_ >= size_t{1} << 18) {
      sorted_ = 0;
      between_();
    }
  }

  // Keys of two words whose bits to sort fit one word beside their place
  // in the range: those words are sorted, from the lowest digit up, and the
  // keys then follow them. The passes move half the bytes, and take their
  // digits from one word.
  static constexpr int tagBits = 16;
  static constexpr size_t tagged = size_t{1} << tagBits;
  void sortByTags(Key* data, Key* other, size_t n, int high, bool intoData) {
    const int digitBits = n < 4096 ? 8 : 11;
    const size_t digits = size_t{1} << digitBits;
    const int passes = (high - lowBit_ + digitBits - 1) / digitBits;
    tags_.resize(2 * n);
    uint64_t* from = tags_.data();
    uint64_t* to = from + n;
    counts_.assign(static_cast<size_t>(passes) * digits, 0);
    const uint64_t mask = digits - 1;
    for (size_t i = 0; i < n; ++i) {
      // The bits above `high` are the same in every key of the range.
      const uint64_t tag = static_cast<uint64_t>(data[i] >> lowBit_) << tagBits | i;
      from[i] = tag;
      for (int p = 0; p < passes; ++p)
        ++counts_[p * digits + (tag >> (tagBits + digitBits * p) & mask)];
    }
    for (int p = 0; p < passes; ++p) {
      const int shift = tagBits + digitBits * p;
      size_t* bucket = counts_.data() + p * digits;
      if (bucket[from[0] >> shift & mask] == n) continue;  // all agree
      scatter(from, to, n, bucket, digits, [&](uint64_t tag) { return tag >> shift & mask; });
      std::swap(from, to);
    }
    // The keys in the order of their tags, from a copy when they end where
    // they are.
    const Key* keys = data;
    Key* wanted = other;
    if (intoData) {
      std::memcpy(other, data, n * sizeof(Key));
      keys = other;
      wanted = data;
    }
    for (size_t i = 0; i < n; ++i) wanted[i] = keys[from[i] & (tagged - 1)];
    sorted_ += n;
    if (sorted_ >= size_t{1} << 18) {
      sorted_ = 0;
      between_();
    }
  }

  const int lowBit_;
  Between& between_;
  std::vector<size_t> counts_;
  std::vector<uint64_t> tags_;
  size_t sorted_ = 0;
};

}  // namespace radix_detail

// Sorts keys[0..count) ascending by their bits from `lowBit` up, using
// scratch[0..count); every key must be below 2^bits. Keys that differ only
// below `lowBit` keep no particular order. The sorted keys end in `keys`.
// `between()` is called now and then (to poll for a stop).
template <typename Key, typename Between>
void radixSort(Key* keys, Key* scratch, size_t count, int lowBit, int bits, Between between) {
  if (count < 2) return;
  radix_detail::Sorter<Key, Between> sorter(lowBit, between);
  constexpr bool endInKeys = true;
  sorter.sort(keys, scratch, count, bits, endInKeys);
}
