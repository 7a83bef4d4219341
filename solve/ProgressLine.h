// The one line on a terminal that shows a long search is alive: positions,
// the layer reached, their rate, the search's peak memory, the disk its
// files hold and the time, redrawn in place.
#pragma once

#include <signal.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <string>

#include "SpillUse.h"
#include "search/Solver.h"

class ProgressLine {
 public:
  // A line about the search of `label`, on `stream`, a terminal; the search
  // starts now. Until it is destroyed, a hang-up, an interrupt, a quit or a
  // termination signal that ends the program erases the line first (unless
  // the signal was ignored or handled already), so that the shell's next
  // words start on a clean line. `spill` tells whether the line shows the
  // disk the search's files hold.
  ProgressLine(std::FILE* stream, std::string label, SpillUse spill);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // Given to the search as its progress callback (never called by two
  // threads at once): draws the line half a second after the start at the
  // earliest, then at most ten times a second.
  void update(const SolveStats& stats);

  // Erases the line, if it was drawn, so that what follows starts on a
  // clean line: a carriage return, then clear to the end of the line.
  void erase();

 private:
  std::FILE* stream_;
  std::string label_;
  SpillUse spill_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point drawn_;
  bool shown_ = false;
  // What the signals did before the line took them over.
  std::array<struct sigaction, 4> previous_{};
};

// The text of the line: "LABEL: 21.6 M positions, layer 44, 8.6 M/s, peak
// 161 MB, disk 1.2 GB, 2.5 s"; the layer once there is one, the disk when
// `spill` says so or the files hold some. Kept to `columns` - 1 characters so
// that it never wraps: the rate, then the peak go first, then the end is cut.
std::string progressText(const std::string& label, const SolveStats& stats, double seconds,
                         int columns, SpillUse spill);
