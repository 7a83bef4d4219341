#include "AutoPlay.h"

#include <cassert>

AutoPlay::AutoPlay(Clock::duration interval) : interval_(interval) {
  assert(interval > Clock::duration::zero());
}

void AutoPlay::start(Clock::time_point now) { nextMove_ = now + interval_; }

bool AutoPlay::moveDue(Clock::time_point now) {
  if (!nextMove_ || now < *nextMove_) return false;
  *nextMove_ += interval_;
  if (*nextMove_ <= now) nextMove_ = now + interval_;
  return true;
}
