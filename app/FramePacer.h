// When a screen shows its next frame: at most one per interval, whatever the
// display does, so that an idle screen sleeps instead of drawing.
#pragma once

#include <chrono>
#include <optional>

class FramePacer {
 public:
  using Clock = std::chrono::steady_clock;

  // A pacer that allows one frame per `interval` (more than zero).
  explicit FramePacer(Clock::duration interval);

  // Whether a frame is due at `now`. The first call always says yes; a yes
  // books the next frame one interval after `now`, so two frames are never
  // closer than the interval, even after a late one.
  bool frameDue(Clock::time_point now);

  // How long from `now` until the next frame is due; zero when it is due.
  Clock::duration untilNextFrame(Clock::time_point now) const;

 private:
  Clock::duration interval_;
  std::optional<Clock::time_point> next_;
};
