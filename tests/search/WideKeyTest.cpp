// The arithmetic of three-word keys: against the built-in 128-bit integer
// where both reach, and against plain long division, by shifts and
// subtractions, where they do not; with the values at the edges of words
// that carries, borrows and the division's corrections turn on.
#include <gtest/gtest.h>

#include <random>

#include "search/layered/keys/WideKey.h"

namespace {

using Wide = unsigned __int128;

uint64_t edgyWord(std::mt19937_64& random) {
  const uint64_t edges[] = {
      0, 1, 2, uint64_t{1} << 63, (uint64_t{1} << 63) - 1, ~uint64_t{0}, ~uint64_t{0} - 1};
  return random() % 3 == 0 ? edges[random() % 7] : random() >> (random() % 64);
}

// A key of up to `words` words, each random or at an edge.
Key192 randomKey(std::mt19937_64& random, int words) {
  Key192 key;
  for (int i = 0; i < words; ++i) key.w[i] = edgyWord(random);
  return key;
}

Key192 ofWide(Wide value) {
  Key192 key;
  key.w[0] = static_cast<uint64_t>(value);
  key.w[1] = static_cast<uint64_t>(value >> 64);
  return key;
}

// a / b by shifts and subtractions, a bit at a time.
void longDivision(const Key192& a, const Key192& b, Key192& quotient, Key192& remainder) {
  quotient = 0;
  remainder = 0;
  for (int bit = 191; bit >= 0; --bit) {
    remainder = remainder << 1 | ((a >> bit) & 1);
    if (!(remainder < b)) {
      remainder = remainder - b;
      quotient = quotient | Key192{1} << bit;
    }
  }
}

}  // namespace

TEST(WideKeyTest, AgreesWithTheBuiltInIntegerWithinTwoWords) {
  std::mt19937_64 random(3);
  for (int round = 0; round < 20000; ++round) {
    const Key192 a = randomKey(random, 2);
    const Key192 b = randomKey(random, 1 + round % 2);
    const Wide x = Wide{a.w[1]} << 64 | a.w[0];
    const Wide y = Wide{b.w[1]} << 64 | b.w[0];
    SCOPED_TRACE(round);
    // Sums and products carry into the third word; differences borrow
    // from it.
    const Key192 sum = a + b;
    ASSERT_TRUE(ofWide(x + y) == (sum & ~(Key192{~uint64_t{0}} << 128)));
    ASSERT_EQ(sum.w[2], x + y < x ? 1u : 0u);
    if (!(a < b)) {
      ASSERT_TRUE(a - b == ofWide(x - y));
    }
    if (b.w[1] == 0 && a.w[1] == 0) {
      ASSERT_TRUE(a * b == ofWide(x * y));
    }
    ASSERT_EQ(a < b, x < y);
    ASSERT_EQ(a == b, x == y);
    const int shift = static_cast<int>(random() % 128);
    ASSERT_TRUE(a >> shift == ofWide(x >> shift));
    ASSERT_EQ(a.bitsFrom(shift), static_cast<uint64_t>(x >> shift));
    int length = 0;
    while (length < 128 && x >> length != 0) ++length;
    ASSERT_EQ(a.bitLength(), length);
    if (y != 0) {
      ASSERT_TRUE(a / b == ofWide(x / y));
      ASSERT_TRUE(a % b == ofWide(x % y));
    }
  }
}

TEST(WideKeyTest, DividesThreeWordsAsLongDivisionDoes) {
  std::mt19937_64 random(5);
  for (int round = 0; round < 20000; ++round) {
    const Key192 a = randomKey(random, 1 + round % 3);
    Key192 b = randomKey(random, 1 + (round / 3) % 3);
    if (b == 0) b = 1;
    SCOPED_TRACE(round);
    Key192 quotient, remainder, expectedQuotient, expectedRemainder;
    Key192::divide(a, b, quotient, remainder);
    longDivision(a, b, expectedQuotient, expectedRemainder);
    ASSERT_TRUE(quotient == expectedQuotient);
    ASSERT_TRUE(remainder == expectedRemainder);
    ASSERT_TRUE(quotient * b + remainder == a);
  }
  // A quotient word estimated one too large even after its correction by
  // the divisor's second word, so that the rest must be added back.
  Key192 quotient, remainder;
  const Key192 b = (Key192{1} << 128) + 1;
  Key192::divide(b * 5 - 1, b, quotient, remainder);
  EXPECT_TRUE(quotient == 4);
  EXPECT_TRUE(remainder == b - 1);
  // Wrapping past the top word, as the codec's differences of products do.
  const Key192 most = ~Key192{0};
  EXPECT_TRUE(most + 1 == 0);
  EXPECT_TRUE(Key192{0} - 1 == most);
  EXPECT_TRUE(Key192{5} * 3 - Key192{7} * 3 + Key192{7} * 3 == 15);
  EXPECT_TRUE((Key192{1} << 191 << 1) == 0);
  EXPECT_TRUE((most >> 191) == 1);
}
