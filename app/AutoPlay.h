// The replay's automatic play: one move per interval while it runs.
#pragma once

#include <chrono>
#include <optional>

class AutoPlay {
 public:
  using Clock = std::chrono::steady_clock;

  // Plays one move per `interval` (> 0) once started.
  explicit AutoPlay(Clock::duration interval);

  bool running() const { return nextMove_.has_value(); }
  // Starts at `now`: the first move falls due one interval later.
  void start(Clock::time_point now);
  void stop() { nextMove_.reset(); }

  // Whether a move falls due by `now`; a yes counts as that move. The next
  // one falls due an interval after it, or an interval after `now` if that
  // time has passed too: a turn that came very late brings one move, never a
  // burst of them.
  bool moveDue(Clock::time_point now);

  // When the next move falls due; nothing while stopped.
  std::optional<Clock::time_point> nextMove() const { return nextMove_; }

 private:
  Clock::duration interval_;
  std::optional<Clock::time_point> nextMove_;
};
