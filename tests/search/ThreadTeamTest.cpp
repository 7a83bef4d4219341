#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "search/core/ThreadTeam.h"

namespace {

// The handler of a team whose work never throws.
void unexpected(std::exception_ptr) { ADD_FAILURE() << "a piece of work threw"; }

}  // namespace

// Every piece of work runs each of its indices once, index 0 on the caller,
// and run() returns only when all are done, however the counts vary between
// runs and however slow a helper is.
TEST(ThreadTeamTest, RunsEachIndexOnceAndWaitsForAll) {
  ThreadTeam team(4, unexpected);
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
  ThreadTeam one(1, unexpected);
  std::thread::id ran;
  one.run(3, [&](int t) {
    EXPECT_EQ(t, 0);
    ran = std::this_thread::get_id();
  });
  EXPECT_EQ(ran, std::this_thread::get_id());
  { ThreadTeam unused(3, unexpected); }
  {
    ThreadTeam used(3, unexpected);
    std::atomic<int> count{0};
    used.run(3, [&](int) { count.fetch_add(1); });
    EXPECT_EQ(count.load(), 3);
  }
}

// What a piece of work throws stays on its thread: the handler gets it, the
// other pieces run to their end, and the team works on afterwards.
TEST(ThreadTeamTest, WorkThatThrowsReachesTheHandlerNotTheProcess) {
  std::mutex mutex;
  std::vector<std::string> caught;
  ThreadTeam team(3, [&](std::exception_ptr thrown) {
    std::lock_guard<std::mutex> lock(mutex);
    try {
      std::rethrow_exception(thrown);
    } catch (const std::bad_alloc&) {
      caught.push_back("bad_alloc");
    } catch (const std::exception& e) {
      caught.push_back(e.what());
    }
  });
  for (int round = 0; round < 50; ++round) {
    caught.clear();
    std::atomic<int> finished{0};
    team.run(3, [&](int t) {
      if (t == 1) throw std::bad_alloc();
      if (t == 0 && round % 2 == 0) throw std::runtime_error("on the caller");
      finished.fetch_add(1);
    });
    EXPECT_EQ(finished.load(), round % 2 == 0 ? 1 : 2);
    std::sort(caught.begin(), caught.end());
    const std::vector<std::string> expected =
        round % 2 == 0 ? std::vector<std::string>{"bad_alloc", "on the caller"}
                       : std::vector<std::string>{"bad_alloc"};
    EXPECT_EQ(caught, expected);
  }
  std::atomic<int> count{0};
  team.run(3, [&](int) { count.fetch_add(1); });
  EXPECT_EQ(count.load(), 3);
}
