// The replay's clock: a move of several cells runs along its route instead
// of jumping to its end, and automatic play brings one move per interval,
// each once the one before has arrived.
#pragma once

#include <chrono>
#include <optional>

class ReplayClock {
 public:
  using Clock = std::chrono::steady_clock;

  // How long a cell of the route takes, and a whole move at most.
  static constexpr Clock::duration perCell = std::chrono::milliseconds(50);
  static constexpr Clock::duration longestMove = std::chrono::milliseconds(200);

  // Automatic play brings one move per `autoInterval` (> 0) once started.
  explicit ReplayClock(Clock::duration autoInterval);

  // Shows a move of `cells` cells from `now`; a move of one cell is shown
  // at once.
  void startMove(int cells, Clock::time_point now);
  // Shows the move's end at once: a key came first.
  void finishMove() { moveEnd_.reset(); }
  // Whether a move is on its way at `now`; one whose time is up has ended.
  bool moving(Clock::time_point now) const { return moveEnd_ && now < *moveEnd_; }
  // The part of its route the piece has covered by `now`, 0 to 1; 1 once
  // the move has ended.
  double progress(Clock::time_point now) const;

  bool autoPlaying() const { return nextAutoMove_.has_value(); }
  // Starts automatic play at `now`: the first move falls due one interval
  // later.
  void startAutoPlay(Clock::time_point now) { nextAutoMove_ = now + autoInterval_; }
  void stopAutoPlay() { nextAutoMove_.reset(); }
  // Whether automatic play's next move falls due by `now`; a yes counts as
  // that move. Never while a move is on its way: automatic play waits for it.
  // The next falls due an interval after it, or an interval after `now` if
  // that time has passed too: a turn that came very late brings one move,
  // never a burst of them.
  bool autoMoveDue(Clock::time_point now);

  // When what the replay shows changes next by time alone: the next frame
  // (`frame` after `now`) while a move is on its way, else automatic play's
  // next move; nothing when neither will come.
  std::optional<Clock::time_point> nextChange(Clock::time_point now, Clock::duration frame) const;

 private:
  Clock::duration autoInterval_;
  std::optional<Clock::time_point> nextAutoMove_;
  Clock::time_point moveStart_;
  std::optional<Clock::time_point> moveEnd_;
};
