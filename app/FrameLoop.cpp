#include "FrameLoop.h"

#include <algorithm>

#include "platform/EventWait.h"
#include "render/Draw.h"
#include "render/TextLayout.h"

namespace {

using namespace std::chrono_literals;

// A screen presents at most 60 frames a second: a display that syncs to
// 60 Hz shows no more, and a display that does not sync (a virtual one)
// would otherwise be fed as fast as the processor allows.
constexpr FramePacer::Clock::duration shortestFrame =
    std::chrono::duration_cast<FramePacer::Clock::duration>(1s) / 60;

}  // namespace

void startScreen() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

FramePacer screenPacer(const ScreenPace& pace) { return FramePacer(shortestFrame, pace.idleFrame); }

void waitForNextTurn(const FramePacer& pacer, const ScreenPace& pace,
                     std::optional<FramePacer::Clock::time_point> nextChange) {
  const FramePacer::Clock::time_point now = FramePacer::Clock::now();
  FramePacer::Clock::duration sleep =
      std::min<FramePacer::Clock::duration>(pacer.untilNextFrame(now), pace.longestSleep);
  if (nextChange)
    sleep = std::min(sleep, std::max(*nextChange - now, FramePacer::Clock::duration::zero()));
  waitForEvents(sleep);
}

void beginText() {
  glEnable(GL_TEXTURE_2D);
  glColor3f(1, 1, 1);
}

void endText() { glDisable(GL_TEXTURE_2D); }

void drawLabel(const char* text, Vector3 position, Vector3 width, Vector3 height) {
  drawText(fontTexture, position, fitLineWidth(position, width), height, "%s", text);
}
