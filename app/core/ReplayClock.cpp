#include "ReplayClock.h"

#include <algorithm>
#include <cassert>

ReplayClock::ReplayClock(Clock::duration autoInterval) : autoInterval_(autoInterval) {
  assert(autoInterval > Clock::duration::zero());
}

void ReplayClock::startMove(int cells, Clock::time_point now) {
  moveEnd_.reset();
  if (cells <= 1) return;
  moveStart_ = now;
  moveEnd_ = now + std::min(longestMove, perCell * cells);
}

double ReplayClock::progress(Clock::time_point now) const {
  if (!moving(now)) return 1.0;
  if (now <= moveStart_) return 0.0;
  return std::chrono::duration<double>(now - moveStart_) /
         std::chrono::duration<double>(*moveEnd_ - moveStart_);
}

bool ReplayClock::autoMoveDue(Clock::time_point now) {
  if (moving(now) || !nextAutoMove_ || now < *nextAutoMove_) return false;
  *nextAutoMove_ += autoInterval_;
  if (*nextAutoMove_ <= now) nextAutoMove_ = now + autoInterval_;
  return true;
}

std::optional<ReplayClock::Clock::time_point> ReplayClock::nextChange(Clock::time_point now,
                                                                      Clock::duration frame) const {
  if (moving(now)) return now + frame;
  return nextAutoMove_;
}
