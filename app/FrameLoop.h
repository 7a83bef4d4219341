// The loop that every screen runs, and the small pieces of drawing the
// screens share.
#pragma once

#include <GL/gl.h>

#include <optional>

#include "app/core/FramePacer.h"
#include "app/core/ScreenPace.h"
#include "input/EventPump.h"
#include "render/Camera.h"
#include "render/Vector3.h"
#include "render/Video.h"

// Starts a screen from an identity view and a cleared buffer, so that a
// screen which ended mid-frame leaves nothing behind for the next one.
void startScreen();

// A pacer for one screen's frames.
FramePacer screenPacer(const ScreenPace& pace);

// Sleeps until the next turn of a screen's loop: until an event comes in, a
// frame falls due, the screen's next change by time alone (if any) falls due,
// or the longest sleep has passed.
void waitForNextTurn(const FramePacer& pacer, const ScreenPace& pace,
                     std::optional<FramePacer::Clock::time_point> nextChange = std::nullopt);

// Runs a screen until it has a result, or until the window is asked to
// close: then it returns nothing at once, before any key of that pump acts,
// and so does every screen started after. Each turn first asks `endBefore()`,
// for a key latched while the previous screen or turn ran; then pumps events
// and lets `handleKeys()` act on them. A turn runs as soon as an event comes
// in, so keys are handled after every pump and a short press is seen however
// the frames fall. Then `advance(now)` makes the changes that come with time
// alone, due by `now`, and returns when the next one falls due (nothing when
// none will): the loop wakes for it. When a frame is due (see ScreenPace),
// soon after an event or a change by time, `draw()` draws it with texturing
// off and the camera applied, and it is presented. A result from either
// function ends the screen at once, with nothing more drawn.
template <typename Result, typename EndBefore, typename HandleKeys, typename Advance, typename Draw>
std::optional<Result> runTimedFrames(const Camera& camera, EndBefore endBefore,
                                     HandleKeys handleKeys, Advance advance, Draw draw,
                                     const ScreenPace& pace = ScreenPace()) {
  startScreen();
  FramePacer pacer = screenPacer(pace);
  std::optional<FramePacer::Clock::time_point> nextChange;
  for (;;) {
    if (closeRequested()) return std::nullopt;
    if (std::optional<Result> result = endBefore()) return result;
    if (pumpEvents() > 0) pacer.markChanged();
    if (closeRequested()) return std::nullopt;
    if (std::optional<Result> result = handleKeys()) return result;
    const FramePacer::Clock::time_point now = FramePacer::Clock::now();
    if (nextChange && *nextChange <= now) pacer.markChanged();
    nextChange = advance(now);
    if (pacer.frameDue(now)) {
      glDisable(GL_TEXTURE_2D);
      camera.applyView();
      draw();
      presentFrame();
    }
    waitForNextTurn(pacer, pace, nextChange);
  }
}

// runTimedFrames for a screen that changes only with events.
template <typename Result, typename EndBefore, typename HandleKeys, typename Draw>
std::optional<Result> runFrames(const Camera& camera, EndBefore endBefore, HandleKeys handleKeys,
                                Draw draw, const ScreenPace& pace = ScreenPace()) {
  const auto nothingTimed = [](FramePacer::Clock::time_point) {
    return std::optional<FramePacer::Clock::time_point>();
  };
  return runTimedFrames<Result>(camera, endBefore, handleKeys, nothingTimed, draw, pace);
}

// Switches texturing on with a white colour, for text.
void beginText();
// Switches texturing off, for pieces and boards.
void endText();

// Draws one fixed line with the program's font: `width` spans the whole line,
// narrowed where the line would run past the window's right edge.
void drawLabel(const char* text, Vector3 position, Vector3 width, Vector3 height);
