#include <gtest/gtest.h>

#include <chrono>

#include "app/FramePacer.h"

namespace {

using namespace std::chrono_literals;
using Clock = FramePacer::Clock;

const Clock::duration sixtieth = std::chrono::duration_cast<Clock::duration>(1s) / 60;

}  // namespace

TEST(FramePacerTest, FramesAreNeverCloserThanTheInterval) {
  FramePacer pacer(sixtieth);
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(pacer.untilNextFrame(start), Clock::duration::zero());
  EXPECT_TRUE(pacer.frameDue(start));  // the first frame at once
  EXPECT_FALSE(pacer.frameDue(start));
  EXPECT_EQ(pacer.untilNextFrame(start), sixtieth);
  EXPECT_EQ(pacer.untilNextFrame(start + 10ms), sixtieth - 10ms);
  EXPECT_FALSE(pacer.frameDue(start + sixtieth - 1ns));
  EXPECT_TRUE(pacer.frameDue(start + sixtieth));

  // A frame that came late does not let the next one come early.
  const Clock::time_point late = start + 2 * sixtieth + 9ms;
  EXPECT_EQ(pacer.untilNextFrame(late), Clock::duration::zero());
  EXPECT_TRUE(pacer.frameDue(late));
  EXPECT_FALSE(pacer.frameDue(start + 3 * sixtieth));
  EXPECT_TRUE(pacer.frameDue(late + sixtieth));
}

TEST(FramePacerTest, PolledEveryFewMillisecondsItKeepsCloseToSixtyFrames) {
  for (const Clock::duration poll : {1ms, 3ms, 4ms}) {
    FramePacer pacer(sixtieth);
    const Clock::time_point start = Clock::now();
    int frames = 0;
    for (Clock::time_point now = start; now < start + 1s; now += poll) {
      if (pacer.frameDue(now)) ++frames;
    }
    EXPECT_LE(frames, 60) << "polled every " << poll.count() << " ns";
    EXPECT_GE(frames, 50) << "polled every " << poll.count() << " ns";
  }
}
