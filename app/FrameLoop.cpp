#include "FrameLoop.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "render/Draw.h"

namespace {

using namespace std::chrono_literals;

// A screen presents at most 60 frames a second: a display that syncs to
// 60 Hz shows no more, and a display that does not sync (a virtual one)
// would otherwise be fed as fast as the processor allows.
constexpr FramePacer::Clock::duration shortestFrame =
    std::chrono::duration_cast<FramePacer::Clock::duration>(1s) / 60;

// Without events a screen changes only with time (timed messages, the
// search's count): ten frames a second show that smoothly. A frame costs a
// software renderer about a millisecond and a half, so sixty of them would
// keep a tenth of a core busy on a screen where nothing happens.
constexpr FramePacer::Clock::duration longestFrame = 100ms;

// Events are pumped and keys handled this often. The latch forgets a key
// pressed and released between two pumps; a press held for 20 ms spans
// several.
constexpr FramePacer::Clock::duration pumpInterval = 4ms;

}  // namespace

void startScreen() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

FramePacer screenPacer() { return FramePacer(shortestFrame, longestFrame); }

void waitForNextTurn(const FramePacer& pacer) {
  std::this_thread::sleep_for(
      std::min(pumpInterval, pacer.untilNextFrame(FramePacer::Clock::now())));
}

void beginText() {
  glEnable(GL_TEXTURE_2D);
  glColor3f(1, 1, 1);
}

void endText() { glDisable(GL_TEXTURE_2D); }

void drawLabel(const char* text, Vector3 position, Vector3 width, Vector3 height) {
  drawText(fontTexture, position, width, height, "%s", text);
}
