#include <gtest/gtest.h>

#include "app/AutoPlay.h"

namespace {

using namespace std::chrono_literals;
using Clock = AutoPlay::Clock;

}  // namespace

TEST(AutoPlayTest, FourMovesASecondWhileRunning) {
  AutoPlay play(250ms);
  const Clock::time_point start = Clock::now();
  EXPECT_FALSE(play.running());
  EXPECT_FALSE(play.moveDue(start + 1s));  // stopped: nothing falls due
  EXPECT_EQ(play.nextMove(), std::nullopt);

  play.start(start);
  EXPECT_TRUE(play.running());
  EXPECT_EQ(play.nextMove(), start + 250ms);
  // Turns every 10 ms, a few late by 3 ms: the moves keep their rhythm.
  int moves = 0;
  for (Clock::time_point now = start; now <= start + 1s; now += 10ms) {
    if (play.moveDue(now + (moves % 2 ? 3ms : 0ms))) ++moves;
  }
  EXPECT_EQ(moves, 4);
  EXPECT_EQ(play.nextMove(), start + 1250ms);

  play.stop();
  EXPECT_FALSE(play.running());
  EXPECT_FALSE(play.moveDue(start + 2s));
}

TEST(AutoPlayTest, ALateTurnBringsOneMoveNotABurst) {
  AutoPlay play(250ms);
  const Clock::time_point start = Clock::now();
  play.start(start);
  // The window was held up for a second: one move, the next an interval on.
  EXPECT_TRUE(play.moveDue(start + 1s));
  EXPECT_FALSE(play.moveDue(start + 1s));
  EXPECT_EQ(play.nextMove(), start + 1250ms);
  // Started anew, the first move waits a whole interval again.
  play.start(start + 1100ms);
  EXPECT_FALSE(play.moveDue(start + 1250ms));
  EXPECT_TRUE(play.moveDue(start + 1350ms));
}
