#include <gtest/gtest.h>

#include <string>

#include "solve/SearchReport.h"

namespace {

constexpr uint64_t megabyte = uint64_t{1} << 20;

SolveStats spilledSearch() {
  SolveStats stats;
  stats.positions = 1000;
  stats.expanded = 900;
  stats.peakBytes = 3 * megabyte;
  stats.storedBytes = 1500;
  stats.diskBytes = megabyte;
  stats.peakDiskBytes = 5 * megabyte + megabyte / 2;
  stats.layers = 42;
  stats.keyWords = 1;
  stats.keyBits = 40;
  return stats;
}

}  // namespace

// The lines of --stats: the layers always, the disk's peak with --spill
// alone, each figure from its own member.
TEST(SearchReportTest, StatsLinesNameTheLayersAndTheDiskOfASpilledSearch) {
  const SolveStats stats = spilledSearch();
  EXPECT_EQ(statsText(stats, 1.5, 8 * megabyte, SpillUse::spilled),
            "positions 1000\nexpansions 900\nlayers 42\nseconds 1.500\n"
            "search peak memory 3.0 MB\npeak disk 5.5 MB\n"
            "process peak resident memory 8.0 MB\nstored bytes per position 1.50\n"
            "key width 64 bits (1 word), 40 used\n");
  const std::string inMemory = statsText(stats, 1.5, 8 * megabyte, SpillUse::inMemory);
  EXPECT_EQ(inMemory.find("disk"), std::string::npos);
  EXPECT_NE(inMemory.find("\nlayers 42\n"), std::string::npos);
}

TEST(SearchReportTest, JsonStatsHoldTheLayersAndThePeakDiskBytes) {
  const std::string json = jsonStats(spilledSearch(), 1.5);
  EXPECT_NE(json.find("\"layers\":42,"), std::string::npos) << json;
  EXPECT_NE(json.find("\"peak_disk_bytes\":5767168,"), std::string::npos) << json;
  // In memory, the member is there all the same, 0.
  EXPECT_NE(jsonStats(SolveStats(), 0).find("\"peak_disk_bytes\":0,"), std::string::npos);
}
