#include <gtest/gtest.h>

#include "app/core/MemoryLine.h"

// Whole megabytes up to where they would round to 1024, then gigabytes with
// a French decimal comma; never "1024 Mo" nor "0,9 Go".
TEST(MemoryLineTest, MegabytesThenGigabytesWithADecimalComma) {
  constexpr uint64_t megabyte = uint64_t{1} << 20;
  EXPECT_EQ(memoryLine(0), "M\xe9moire : 0 Mo");
  EXPECT_EQ(memoryLine(161 * megabyte + megabyte / 3), "M\xe9moire : 161 Mo");
  EXPECT_EQ(memoryLine(1023 * megabyte), "M\xe9moire : 1023 Mo");
  EXPECT_EQ(memoryLine(1023 * megabyte + megabyte * 3 / 4), "M\xe9moire : 1,0 Go");
  EXPECT_EQ(memoryLine(1229 * megabyte), "M\xe9moire : 1,2 Go");
  EXPECT_EQ(memoryLine(uint64_t{16383} * megabyte), "M\xe9moire : 16,0 Go");
}
