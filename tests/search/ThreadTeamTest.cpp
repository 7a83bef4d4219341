#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "search/ThreadTeam.h"

// Every piece of work runs each of its indices once, index 0 on the caller,
// and run() returns only when all are done, however the counts vary between
// runs and however slow a helper is.
TEST(ThreadTeamTest, RunsEachIndexOnceAndWaitsForAll) {
  ThreadTeam team(4);
  const std::thread::id caller = std::this_thread::get_id();
  for (int round = 0; round < 2000; ++round) {
    const int threads = 1 + round % 5;  // up to one more than the team holds
    std::vector<std::atomic<int>> runs(8);
    std::vector<std::thread::id> ids(8);
    team.run(threads, [&](int t) {
      if (round % 97 == 0 && t == 3) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      ids[t] = std::this_thread::get_id();
      runs[t].fetch_add(1);
    });
    const int expected = threads < 4 ? threads : 4;
    for (int t = 0; t < 8; ++t) {
      ASSERT_EQ(runs[t].load(), t < expected ? 1 : 0) << "round " << round << " index " << t;
    }
    EXPECT_EQ(ids[0], caller);
    for (int a = 1; a < expected; ++a) {
      for (int b = 0; b < a; ++b) ASSERT_NE(ids[a], ids[b]) << "round " << round;
    }
  }
}

// A team of one runs on the caller alone; a team that never ran work, or
// ran it once, goes without waiting.
TEST(ThreadTeamTest, OneThreadRunsOnTheCallerAndTeamsGoCleanly) {
  ThreadTeam one(1);
  std::thread::id ran;
  one.run(3, [&](int t) {
    EXPECT_EQ(t, 0);
    ran = std::this_thread::get_id();
  });
  EXPECT_EQ(ran, std::this_thread::get_id());
  { ThreadTeam unused(3); }
  {
    ThreadTeam used(3);
    std::atomic<int> count{0};
    used.run(3, [&](int) { count.fetch_add(1); });
    EXPECT_EQ(count.load(), 3);
  }
}
