// When a screen shows its next frame. A screen redraws soon after anything
// happens, but never more than once per short interval, and otherwise once
// per long interval, for what changes with time alone (timed messages, the
// search's count). Between frames it sleeps instead of drawing.
#pragma once

#include <chrono>
#include <optional>

class FramePacer {
 public:
  using Clock = std::chrono::steady_clock;

  // Frames at most once per `shortest` and at least once per `longest`
  // (0 < shortest <= longest).
  FramePacer(Clock::duration shortest, Clock::duration longest);

  // Notes that what the screen shows may have changed, for example because
  // an event came in: the next frame comes as soon as the short interval
  // allows.
  void markChanged() { changed_ = true; }

  // Whether a frame is due at `now`. The first call always says yes; later,
  // yes once `shortest` has passed since the last frame if something
  // changed, or once `longest` has passed anyway. A yes counts as that frame.
  bool frameDue(Clock::time_point now);

  // How long from `now` until the next frame is due; zero when it is due.
  Clock::duration untilNextFrame(Clock::time_point now) const;

 private:
  Clock::duration interval() const { return changed_ ? shortest_ : longest_; }

  Clock::duration shortest_;
  Clock::duration longest_;
  std::optional<Clock::time_point> last_;
  bool changed_ = false;
};
