// The loop that every screen runs, and the small pieces of drawing the
// screens share.
#pragma once

#include <GL/gl.h>

#include <optional>

#include "FramePacer.h"
#include "input/KeyLatch.h"
#include "render/Camera.h"
#include "render/Vector3.h"
#include "render/Video.h"

// Starts a screen from an identity view and a cleared buffer, so that a
// screen which ended mid-frame leaves nothing behind for the next one.
void startScreen();

// A pacer for one screen: at most 60 frames a second, soon after an event,
// and 10 a second when nothing happens.
FramePacer screenPacer();

// Sleeps until the next turn of a screen's loop: a few milliseconds, or less
// when a frame falls due sooner.
void waitForNextTurn(const FramePacer& pacer);

// Runs a screen until it has a result. Each turn first asks `endBefore()`,
// for a key latched while the previous screen or turn ran; then pumps events
// and lets `handleKeys()` act on them. Keys are handled after every pump,
// every few milliseconds, so a short press is seen however the frames fall.
// When a frame is due (see screenPacer), `draw()` draws it with texturing off
// and the camera applied, and it is presented. A result from either function
// ends the screen at once, with nothing more drawn.
template <typename Result, typename EndBefore, typename HandleKeys, typename Draw>
Result runFrames(const Camera& camera, EndBefore endBefore, HandleKeys handleKeys, Draw draw) {
  startScreen();
  FramePacer pacer = screenPacer();
  for (;;) {
    if (std::optional<Result> result = endBefore()) return *result;
    if (pumpEvents() > 0) pacer.markChanged();
    if (std::optional<Result> result = handleKeys()) return *result;
    if (pacer.frameDue(FramePacer::Clock::now())) {
      glDisable(GL_TEXTURE_2D);
      camera.applyView();
      draw();
      presentFrame();
    }
    waitForNextTurn(pacer);
  }
}

// Switches texturing on with a white colour, for text.
void beginText();
// Switches texturing off, for pieces and boards.
void endText();

// Draws one fixed line with the program's font: `width` spans the whole line.
void drawLabel(const char* text, Vector3 position, Vector3 width, Vector3 height);
