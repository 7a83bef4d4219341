// The loop of frames that every screen runs, and the small pieces of drawing
// the screens share.
#pragma once

#include <GL/gl.h>

#include <optional>

#include "input/KeyLatch.h"
#include "render/Camera.h"
#include "render/Vector3.h"

// Starts a screen from an identity view and a cleared buffer, so that a
// screen which ended mid-frame leaves nothing behind for the next one.
void startScreen();

// Ends a frame: a short sleep, then the frame is shown.
void finishFrame();

// Runs a screen until it has a result. Before each frame (so also after each
// presented one), `endBefore()` may end it with a result, for a key latched
// while the previous screen or frame was shown. Each frame then switches
// texturing off, pumps events, applies the camera and calls `frame()`, which
// handles its keys and draws; a result from it ends the screen before the
// frame is shown.
template <typename Result, typename EndBefore, typename Frame>
Result runFrames(const Camera& camera, EndBefore endBefore, Frame frame) {
  startScreen();
  for (;;) {
    if (std::optional<Result> result = endBefore()) return *result;
    glDisable(GL_TEXTURE_2D);
    pumpEvents();
    camera.applyView();
    if (std::optional<Result> result = frame()) return *result;
    finishFrame();
  }
}

// Switches texturing on with a white colour, for text.
void beginText();
// Switches texturing off, for pieces and boards.
void endText();

// Draws one fixed line with the program's font: `width` spans the whole line.
void drawLabel(const char* text, Vector3 position, Vector3 width, Vector3 height);
