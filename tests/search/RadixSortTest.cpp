// The children's sort against std::sort: keys of one, two and three words,
// keys that crowd into a few buckets, the low bits left out, and the stop
// poll.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "search/layered/keys/KeyCoding.h"
#include "search/layered/runs/RadixSort.h"

namespace {

template <typename Key>
Key randomKey(std::mt19937_64& random, int bits) {
  Key key = static_cast<Key>(random());
  if constexpr (sizeof(Key) > 8) {
    for (size_t word = 1; word < sizeof(Key) / 8; ++word) key = key << 64 | random();
  }
  return bits >= static_cast<int>(8 * sizeof(Key)) ? key : key & ((Key{1} << bits) - 1);
}

// Sorts by the bits from lowBit up and checks against std::sort of those
// bits, and that the keys are the ones given.
template <typename Key>
void expectSorted(std::vector<Key> keys, int lowBit, int bits) {
  std::vector<Key> expected = keys;
  std::sort(expected.begin(), expected.end());
  std::vector<Key> scratch(keys.size());
  int polls = 0;
  radixSort(keys.data(), scratch.data(), keys.size(), lowBit, bits, [&] { ++polls; });
  std::vector<Key> again = keys;
  std::sort(again.begin(), again.end());
  ASSERT_EQ(again, expected) << "the sort lost or changed keys";
  const auto disorder =
      std::is_sorted_until(keys.begin(), keys.end(),
                           [&](const Key& a, const Key& b) { return a >> lowBit < b >> lowBit; });
  EXPECT_EQ(disorder - keys.begin(), static_cast<long>(keys.size())) << "out of order";
  if (keys.size() > 100000) {
    EXPECT_GT(polls, 0) << "a long sort must let a stop in";
  }
}

TEST(RadixSortTest, SortsKeysOfEverySizeAndSpread) {
  std::mt19937_64 random(7);
  for (const size_t count : {size_t{0}, size_t{1}, size_t{2}, size_t{100}, size_t{2048},
                             size_t{2049}, size_t{50000}, size_t{300000}}) {
    for (const int bits : {9, 20, 42, 64}) {
      std::vector<uint64_t> keys(count);
      for (uint64_t& key : keys) key = randomKey<uint64_t>(random, bits);
      expectSorted(keys, 0, bits);
    }
    for (const int bits : {65, 77, 100, 128}) {
      std::vector<Key128> keys(count);
      for (Key128& key : keys) key = randomKey<Key128>(random, bits);
      expectSorted(keys, 0, bits);
    }
    for (const int bits : {64, 129, 170, 192}) {
      std::vector<Key192> keys(count);
      for (Key192& key : keys) key = randomKey<Key192>(random, bits);
      expectSorted(keys, 0, bits);
    }
  }
}

TEST(RadixSortTest, KeysCrowdedIntoFewBucketsAndRepeated) {
  std::mt19937_64 random(11);
  // The top digits all equal, then few values in the middle, then repeats:
  // buckets far larger than the cache, split again and again.
  std::vector<uint64_t> narrow(400000);
  for (uint64_t& key : narrow) key = uint64_t{5} << 50 | (random() % 3) << 30 | (random() % 700);
  expectSorted(narrow, 0, 53);
  std::vector<Key128> wide(400000);
  for (Key128& key : wide) key = Key128{3} << 70 | Key128(random() % 5) << 40 | (random() % 4000);
  expectSorted(wide, 0, 72);
  // Three words, the varying digits spread over all of them.
  std::vector<Key192> widest(400000);
  for (Key192& key : widest) {
    key = Key192{7} << 160 | Key192(random() % 3) << 120 | Key192(random() % 90) << 60 |
          (random() % 5000);
  }
  expectSorted(widest, 0, 163);
  std::vector<uint64_t> same(5000, 42);
  expectSorted(same, 0, 6);
}

TEST(RadixSortTest, LowBitsBelowTheSortedOnesAreCarriedAlong) {
  std::mt19937_64 random(13);
  for (const size_t count : {size_t{1000}, size_t{200000}}) {
    std::vector<uint64_t> keys(count);
    for (uint64_t& key : keys) key = randomKey<uint64_t>(random, 30) << 8 | (random() & 0xFF);
    expectSorted(keys, 8, 38);
    std::vector<Key128> wide(count);
    for (Key128& key : wide) key = randomKey<Key128>(random, 69) << 8 | (random() & 0xFF);
    expectSorted(wide, 8, 77);
    std::vector<Key192> widest(count);
    for (Key192& key : widest) key = randomKey<Key192>(random, 150) << 32 | (random() >> 32);
    expectSorted(widest, 32, 182);
  }
}

// Children as a layer makes them: keys of two words clustered near their
// parents' (so that ranges split off by the top digits vary in few bits,
// sorted by one-word tags), back moves in the low 32 bits, and ranges of
// about the most that the tags can number, each side of it.
TEST(RadixSortTest, ClusteredKeysWithBackMovesAsALayerMakesThem) {
  std::mt19937_64 random(17);
  for (const size_t count : {size_t{65535}, size_t{65536}, size_t{65537}, size_t{700000}}) {
    std::vector<Key128> keys(count);
    const Key128 base = randomKey<Key128>(random, 69);
    for (Key128& key : keys) {
      const Key128 near = base + (Key128(random() % 64) << 40) + (random() % (uint64_t{1} << 30));
      key = near << 32 | (random() >> 32);
    }
    expectSorted(keys, 32, 101);
    // Ranges of few keys that still vary in many bits, for each kind of pass.
    std::vector<Key128> spread(count / 64);
    for (Key128& key : spread) key = (base + random() % (uint64_t{1} << 47)) << 32 | 7;
    expectSorted(spread, 32, 101);
    // A range as long as the buffer that varies in one digit alone.
    std::vector<Key128> oneDigit(count);
    for (Key128& key : oneDigit)
      key = (base >> 11 << 11 | random() % 2048) << 32 | (random() >> 40);
    expectSorted(oneDigit, 32, 101);
  }
}

}  // namespace
