#include "FramePacer.h"

#include <cassert>

FramePacer::FramePacer(Clock::duration interval) : interval_(interval) {
  assert(interval > Clock::duration::zero());
}

bool FramePacer::frameDue(Clock::time_point now) {
  if (next_ && now < *next_) return false;
  next_ = now + interval_;
  return true;
}

FramePacer::Clock::duration FramePacer::untilNextFrame(Clock::time_point now) const {
  if (!next_ || now >= *next_) return Clock::duration::zero();
  return *next_ - now;
}
