#include <gtest/gtest.h>

#include <chrono>

#include "app/core/FramePacer.h"

namespace {

using namespace std::chrono_literals;
using Clock = FramePacer::Clock;

const Clock::duration sixtieth = std::chrono::duration_cast<Clock::duration>(1s) / 60;
const Clock::duration tenth = 100ms;

// Frames in one second of turns `turn` apart, with a change before every
// turn or none.
int framesInASecond(Clock::duration turn, bool changeEveryTurn) {
  FramePacer pacer(sixtieth, tenth);
  const Clock::time_point start = Clock::now();
  int frames = 0;
  for (Clock::time_point now = start; now < start + 1s; now += turn) {
    if (changeEveryTurn) pacer.markChanged();
    if (pacer.frameDue(now)) ++frames;
  }
  return frames;
}

}  // namespace

TEST(FramePacerTest, AChangeIsShownSoonButFramesAreNeverCloserThanTheShortInterval) {
  FramePacer pacer(sixtieth, tenth);
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(pacer.untilNextFrame(start), Clock::duration::zero());
  EXPECT_TRUE(pacer.frameDue(start));  // the first frame at once
  EXPECT_FALSE(pacer.frameDue(start));
  pacer.markChanged();
  EXPECT_EQ(pacer.untilNextFrame(start + 10ms), sixtieth - 10ms);
  EXPECT_FALSE(pacer.frameDue(start + sixtieth - 1ns));
  EXPECT_TRUE(pacer.frameDue(start + sixtieth));

  // A frame that came late does not let the next one come early.
  const Clock::time_point late = start + 2 * sixtieth + 9ms;
  pacer.markChanged();
  EXPECT_TRUE(pacer.frameDue(late));
  pacer.markChanged();
  EXPECT_FALSE(pacer.frameDue(start + 3 * sixtieth));
  EXPECT_TRUE(pacer.frameDue(late + sixtieth));
}

TEST(FramePacerTest, WithoutChangesFramesComeOncePerLongInterval) {
  FramePacer pacer(sixtieth, tenth);
  const Clock::time_point start = Clock::now();
  EXPECT_TRUE(pacer.frameDue(start));
  EXPECT_FALSE(pacer.frameDue(start + sixtieth));
  EXPECT_EQ(pacer.untilNextFrame(start + sixtieth), tenth - sixtieth);
  EXPECT_TRUE(pacer.frameDue(start + tenth));
  // A change already shown does not speed up the frames after it.
  pacer.markChanged();
  EXPECT_TRUE(pacer.frameDue(start + tenth + sixtieth));
  EXPECT_FALSE(pacer.frameDue(start + tenth + 2 * sixtieth));
}

TEST(FramePacerTest, PolledEveryFewMillisecondsItKeepsASteadyRate) {
  for (const Clock::duration turn : {1ms, 3ms, 4ms}) {
    const int busy = framesInASecond(turn, true);
    EXPECT_LE(busy, 60) << "turns " << turn.count() << " ns apart";
    EXPECT_GE(busy, 50) << "turns " << turn.count() << " ns apart";
    const int idle = framesInASecond(turn, false);
    EXPECT_LE(idle, 10) << "turns " << turn.count() << " ns apart";
    EXPECT_GE(idle, 9) << "turns " << turn.count() << " ns apart";
  }
}
