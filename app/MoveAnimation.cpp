#include "MoveAnimation.h"

#include <algorithm>

void MoveAnimation::start(int cells, Clock::time_point now) {
  end_.reset();
  if (cells <= 1) return;
  start_ = now;
  end_ = now + std::min(longest, perCell * cells);
}

double MoveAnimation::progress(Clock::time_point now) const {
  if (!running(now)) return 1.0;
  if (now <= start_) return 0.0;
  return std::chrono::duration<double>(now - start_) /
         std::chrono::duration<double>(*end_ - start_);
}
