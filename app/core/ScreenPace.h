// How a screen's loop paces itself, chosen by each screen for what it shows.
#pragma once

#include <chrono>

// How a screen's loop paces itself when no event comes in. An event wakes it
// at once, and it redraws soon after, at most 60 times a second.
struct ScreenPace {
  // The longest time between two frames: how soon what changes with time
  // alone (timed messages, a count) is shown.
  std::chrono::milliseconds idleFrame{100};
  // The longest sleep between two turns: how soon `endBefore()` sees what
  // changes apart from events (a search that ended).
  std::chrono::milliseconds longestSleep{100};
};
