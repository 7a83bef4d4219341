#include <gtest/gtest.h>

#include "app/MoveAnimation.h"

namespace {

using namespace std::chrono_literals;
using Clock = MoveAnimation::Clock;

}  // namespace

TEST(MoveAnimationTest, LongerMovesRunLongerButNeverPastTheLimit) {
  const Clock::time_point start = Clock::now();
  MoveAnimation animation;
  EXPECT_FALSE(animation.running(start));
  EXPECT_EQ(animation.progress(start), 1.0);

  // A move of one cell, as every move counted by the cell, is shown at once.
  animation.start(1, start);
  EXPECT_FALSE(animation.running(start));
  EXPECT_EQ(animation.end(), std::nullopt);

  animation.start(2, start);
  EXPECT_TRUE(animation.running(start + 99ms));
  EXPECT_DOUBLE_EQ(animation.progress(start + 50ms), 0.5);
  EXPECT_FALSE(animation.running(start + 100ms));
  EXPECT_EQ(animation.progress(start + 100ms), 1.0);

  // Ten cells would take half a second: 0.2 s at most.
  animation.start(10, start);
  EXPECT_EQ(animation.end(), start + 200ms);
  EXPECT_DOUBLE_EQ(animation.progress(start + 100ms), 0.5);
  EXPECT_EQ(animation.progress(start - 10ms), 0.0);

  // A key came first: the move is shown at its end.
  animation.finish();
  EXPECT_FALSE(animation.running(start + 10ms));
  EXPECT_EQ(animation.progress(start + 10ms), 1.0);
}
