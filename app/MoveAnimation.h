// The replay's showing of a move of several cells: its piece runs along its
// route instead of jumping to the end of it.
#pragma once

#include <chrono>
#include <optional>

class MoveAnimation {
 public:
  using Clock = std::chrono::steady_clock;

  // How long a cell of the route takes, and a whole move at most.
  static constexpr Clock::duration perCell = std::chrono::milliseconds(50);
  static constexpr Clock::duration longest = std::chrono::milliseconds(200);

  // Shows a move of `cells` cells from `now`; a move of one cell is shown at
  // once.
  void start(int cells, Clock::time_point now);
  // Shows the move's end at once: a key came first.
  void finish() { end_.reset(); }

  // Whether a move is on its way at `now`; one whose time is up has ended.
  bool running(Clock::time_point now) const { return end_ && now < *end_; }
  // The part of its route the piece has covered by `now`, 0 to 1; 1 once
  // the move has ended.
  double progress(Clock::time_point now) const;
  // When the move on its way ends; nothing when none is.
  std::optional<Clock::time_point> end() const { return end_; }

 private:
  Clock::time_point start_;
  std::optional<Clock::time_point> end_;
};
