#include <gtest/gtest.h>

#include <cstdint>

#include "search/memory/KeyBuffer.h"

// A buffer told how far it grows keeps its keys where they are up to there,
// and past it moves them whole; from the heap to a mapping too.
TEST(KeyBufferTest, GrowsInPlaceUpToItsCeilingAndKeepsEveryKey) {
  using Buffer = KeyBuffer<uint64_t>;
  const size_t ceiling = size_t{3} << 20;  // keys: 24 MB
  Buffer buffer;
  buffer.growInPlaceUpTo(ceiling);
  const uint64_t* mappedAt = nullptr;
  uint64_t next = 0;
  const auto fill = [&](size_t wanted) {
    ASSERT_TRUE(buffer.reserve(wanted));
    ASSERT_GE(buffer.capacity(), wanted);
    uint64_t* at = buffer.data();
    for (size_t i = buffer.size(); i < wanted; ++i) at[i] = next++ * 2654435761u;
    buffer.setSize(wanted);
    for (size_t i = 0; i < wanted; ++i) {
      ASSERT_EQ(at[i], i * 2654435761u) << "key " << i << " of " << wanted;
    }
  };
  fill(1000);  // from the heap
  for (size_t wanted = 40000; wanted <= ceiling; wanted = wanted * 3 / 2 + 7) {
    fill(wanted);
    if (!mappedAt) mappedAt = buffer.data();
    EXPECT_EQ(buffer.data(), mappedAt) << "moved at " << wanted << " keys";
    EXPECT_LE(buffer.capacity(), Buffer::capacityFor(ceiling));
  }
  fill(ceiling + 1);  // past the ceiling: moved, kept
  EXPECT_NE(buffer.data(), mappedAt);

  buffer.release();
  EXPECT_EQ(buffer.capacity(), 0u);
  fill(0);
  next = 0;
  fill(50000);  // a fresh mapping after the release
}
