#include <gtest/gtest.h>

#include <string>

#include "solve/ProgressLine.h"

namespace {

constexpr uint64_t megabyte = uint64_t{1} << 20;

SolveStats midSearch() {
  SolveStats stats;
  stats.positions = 13700000;
  stats.peakBytes = 117 * megabyte;
  stats.layers = 57;
  return stats;
}

}  // namespace

// What the line holds: the layer once the first is made, the disk once the
// search spills or its files hold anything, in the unit that reads best.
TEST(ProgressTextTest, ShowsTheLayerAndTheDiskWhenThereAreAny) {
  SolveStats stats = midSearch();
  EXPECT_EQ(progressText("big.txt", stats, 4.4, 200, SpillUse::inMemory),
            "big.txt: 13.7 M positions, layer 57, 3.1 M/s, peak 117 MB, 4.4 s");

  stats.layers = 0;
  EXPECT_EQ(progressText("big.txt", stats, 4.4, 200, SpillUse::inMemory),
            "big.txt: 13.7 M positions, 3.1 M/s, peak 117 MB, 4.4 s");

  // Spilled before its files hold a byte: the disk shows from the start.
  EXPECT_EQ(progressText("big.txt", stats, 4.4, 200, SpillUse::spilled),
            "big.txt: 13.7 M positions, 3.1 M/s, peak 117 MB, disk 0 MB, 4.4 s");

  stats.layers = 57;
  const std::pair<uint64_t, const char*> sizes[] = {
      {950 * megabyte, "disk 950 MB"},
      {1229 * megabyte, "disk 1.2 GB"},
      {uint64_t{3482} * 1024 * megabyte, "disk 3.4 TB"},
  };
  for (const auto& [bytes, shown] : sizes) {
    stats.diskBytes = bytes;
    EXPECT_EQ(progressText("big.txt", stats, 4.4, 200, SpillUse::spilled),
              std::string("big.txt: 13.7 M positions, layer 57, 3.1 M/s, peak 117 MB, ") + shown +
                  ", 4.4 s");
  }

  // Files that hold or held something are shown even if the caller did not
  // say it spilled: the disk is never hidden.
  stats.diskBytes = 0;
  stats.peakDiskBytes = 2 * megabyte;
  EXPECT_NE(progressText("big.txt", stats, 4.4, 200, SpillUse::inMemory).find(", disk 0 MB, "),
            std::string::npos);
}

// A narrow terminal loses whole figures, the rate then the peak, before the
// end of the line is cut; the line never reaches the last column.
TEST(ProgressTextTest, ANarrowTerminalDropsWholeFiguresFirst) {
  SolveStats stats = midSearch();
  stats.diskBytes = 1229 * megabyte;
  const std::string full =
      "big.txt: 13.7 M positions, layer 57, 3.1 M/s, peak 117 MB, "
      "disk 1.2 GB, 4.4 s";
  const int fits = static_cast<int>(full.size()) + 1;
  EXPECT_EQ(progressText("big.txt", stats, 4.4, fits, SpillUse::spilled), full);
  EXPECT_EQ(progressText("big.txt", stats, 4.4, fits - 1, SpillUse::spilled),
            "big.txt: 13.7 M positions, layer 57, peak 117 MB, disk 1.2 GB, 4.4 s");
  EXPECT_EQ(progressText("big.txt", stats, 4.4, 60, SpillUse::spilled),
            "big.txt: 13.7 M positions, layer 57, disk 1.2 GB, 4.4 s");
  EXPECT_EQ(progressText("big.txt", stats, 4.4, 30, SpillUse::spilled),
            "big.txt: 13.7 M positions, la");
  for (int columns = 0; columns < 100; ++columns) {
    const std::string line = progressText("big.txt", stats, 4.4, columns, SpillUse::spilled);
    EXPECT_LE(line.size(), static_cast<size_t>(std::max(columns - 1, 1))) << columns;
  }
}
