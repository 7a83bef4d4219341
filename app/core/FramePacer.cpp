#include "FramePacer.h"

#include <cassert>

FramePacer::FramePacer(Clock::duration shortest, Clock::duration longest)
    : shortest_(shortest), longest_(longest) {
  assert(shortest > Clock::duration::zero() && shortest <= longest);
}

bool FramePacer::frameDue(Clock::time_point now) {
  if (last_ && now - *last_ < interval()) return false;
  last_ = now;
  changed_ = false;
  return true;
}

FramePacer::Clock::duration FramePacer::untilNextFrame(Clock::time_point now) const {
  if (!last_ || now - *last_ >= interval()) return Clock::duration::zero();
  return *last_ + interval() - now;
}
