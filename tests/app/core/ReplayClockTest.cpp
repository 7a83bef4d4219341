#include "app/core/ReplayClock.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using Clock = ReplayClock::Clock;

}  // namespace

TEST(ReplayClockTest, LongerMovesRunLongerButNeverPastTheLimit) {
  const Clock::time_point start = Clock::now();
  ReplayClock clock(250ms);
  EXPECT_FALSE(clock.moving(start));
  EXPECT_EQ(clock.progress(start), 1.0);
  // A move of one cell, as every move counted by the cell, is shown at once.
  clock.startMove(1, start);
  EXPECT_FALSE(clock.moving(start));
  EXPECT_EQ(clock.nextChange(start, 16ms), std::nullopt);
  clock.startMove(2, start);
  EXPECT_TRUE(clock.moving(start + 99ms));
  EXPECT_DOUBLE_EQ(clock.progress(start + 50ms), 0.5);
  EXPECT_FALSE(clock.moving(start + 100ms));
  EXPECT_EQ(clock.progress(start + 100ms), 1.0);
  // Ten cells would take half a second: 0.2 s at most.
  clock.startMove(10, start);
  EXPECT_TRUE(clock.moving(start + 199ms));
  EXPECT_FALSE(clock.moving(start + 200ms));
  EXPECT_DOUBLE_EQ(clock.progress(start + 100ms), 0.5);
  EXPECT_EQ(clock.progress(start - 10ms), 0.0);
  // While it runs, the screen changes every frame.
  EXPECT_EQ(clock.nextChange(start + 10ms, 16ms), start + 26ms);
  // A key came first: the move is shown at its end.
  clock.finishMove();
  EXPECT_FALSE(clock.moving(start + 10ms));
  EXPECT_EQ(clock.progress(start + 10ms), 1.0);
}

TEST(ReplayClockTest, AutoPlayBringsFourMovesASecondAndWaitsForAMoveOnItsWay) {
  ReplayClock clock(250ms);
  const Clock::time_point start = Clock::now();
  EXPECT_FALSE(clock.autoPlaying());
  EXPECT_FALSE(clock.autoMoveDue(start + 1s));  // stopped: nothing falls due
  EXPECT_EQ(clock.nextChange(start, 16ms), std::nullopt);
  clock.startAutoPlay(start);
  EXPECT_TRUE(clock.autoPlaying());
  EXPECT_EQ(clock.nextChange(start, 16ms), start + 250ms);
  // Turns every 10 ms, a few late by 3 ms: the moves keep their rhythm.
  int moves = 0;
  for (Clock::time_point now = start; now <= start + 1s; now += 10ms) {
    if (clock.autoMoveDue(now + (moves % 2 ? 3ms : 0ms))) ++moves;
  }
  EXPECT_EQ(moves, 4);
  EXPECT_EQ(clock.nextChange(start + 1s, 16ms), start + 1250ms);

  // A move still on its way when the next falls due holds it back.
  clock.startMove(10, start + 1200ms);
  EXPECT_FALSE(clock.autoMoveDue(start + 1300ms));
  EXPECT_TRUE(clock.autoMoveDue(start + 1400ms));
  clock.stopAutoPlay();
  EXPECT_FALSE(clock.autoPlaying());
  EXPECT_FALSE(clock.autoMoveDue(start + 2s));
}

TEST(ReplayClockTest, ALateTurnBringsOneMoveNotABurst) {
  ReplayClock clock(250ms);
  const Clock::time_point start = Clock::now();
  clock.startAutoPlay(start);
  // The window was held up for a second: one move, the next an interval on.
  EXPECT_TRUE(clock.autoMoveDue(start + 1s));
  EXPECT_FALSE(clock.autoMoveDue(start + 1s));
  EXPECT_EQ(clock.nextChange(start + 1s, 16ms), start + 1250ms);
  // Started anew, the first move waits a whole interval again.
  clock.startAutoPlay(start + 1100ms);
  EXPECT_FALSE(clock.autoMoveDue(start + 1250ms));
  EXPECT_TRUE(clock.autoMoveDue(start + 1350ms));
}
